#include "platform/Locale.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace tw::platform {
namespace {

// Sets a variable for the life of the object and puts the old value back.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value)
        : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedVariable() {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(Locale, FirstSetAndNonEmptyOfLcAllLcMessagesLang) {
    {
        ScopedVariable all("LC_ALL", "");
        ScopedVariable messages("LC_MESSAGES", "ru_RU.UTF-8");
        ScopedVariable lang("LANG", "en_US.UTF-8");
        EXPECT_EQ(messagesLocale(), "ru_RU.UTF-8");
    }
    {
        ScopedVariable all("LC_ALL", "de_DE");
        ScopedVariable messages("LC_MESSAGES", "ru_RU.UTF-8");
        EXPECT_EQ(messagesLocale(), "de_DE");
    }
    {
        ScopedVariable all("LC_ALL", nullptr);
        ScopedVariable messages("LC_MESSAGES", nullptr);
        ScopedVariable lang("LANG", nullptr);
        EXPECT_EQ(messagesLocale(), "");
    }
}

} // namespace
} // namespace tw::platform
