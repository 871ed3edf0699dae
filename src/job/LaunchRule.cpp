#include "job/LaunchRule.h"

namespace tw::job {

LaunchDecision decideLaunch(bool destinationReady, bool listReady, bool asManyAsFit,
                            std::int32_t listCount, std::int64_t listSizeKB, std::int64_t freeKB,
                            const i18n::StringTable& t) {
    LaunchDecision d;
    if (!destinationReady || !listReady) {
        return d;
    }
    const bool tooBig = listSizeKB >= freeKB;
    if (asManyAsFit) {
        d.enabled = true;
        if (tooBig) {
            d.message = LaunchDecision::Message::Warned;
            d.text = t.StrSpaceTooSmall + "\r\n" + t.StrAsManyAsFit;
        }
        return d;
    }
    if (listCount > 0 && !tooBig) {
        d.enabled = true;
        return d;
    }
    if (tooBig) {
        d.message = LaunchDecision::Message::Refused;
        d.text = t.StrSpaceTooSmall + "\r\n" + t.StrFreeSomeSpace;
    }
    return d;
}

} // namespace tw::job
