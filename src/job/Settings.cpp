#include "job/Settings.h"

namespace tw::job {
namespace {

constexpr const char* kSection = "Settings";

} // namespace

Settings Settings::read(const IniFile& ini) {
    Settings s;
    s.Top = ini.readInteger(kSection, "Top", s.Top);
    s.Left = ini.readInteger(kSection, "Left", s.Left);
    copy::CopyOptions& o = s.options;
    o.keepStructure = ini.readBool(kSection, "structure", o.keepStructure);
    o.transliterate = ini.readBool(kSection, "translit", o.transliterate);
    o.onlyMp3 = ini.readBool(kSection, "onlymp3", o.onlyMp3);
    o.asManyAsFit = ini.readBool(kSection, "max", o.asManyAsFit);
    s.Freshpoll = ini.readBool(kSection, "Freshpoll", s.Freshpoll);
    s.Language = ini.readString(kSection, "Language", s.Language);
    o.writePlaylist = ini.readBool(kSection, "writeplaylist", o.writePlaylist);
    o.skipSame = ini.readBool(kSection, "skipsame", o.skipSame);
    o.number = ini.readBool(kSection, "number", o.number);
    return s;
}

void Settings::write(IniFile& ini) const {
    ini.writeInteger(kSection, "Top", Top);
    ini.writeInteger(kSection, "Left", Left);
    ini.writeBool(kSection, "structure", options.keepStructure);
    ini.writeBool(kSection, "translit", options.transliterate);
    ini.writeBool(kSection, "onlymp3", options.onlyMp3);
    ini.writeBool(kSection, "max", options.asManyAsFit);
    ini.writeBool(kSection, "Freshpoll", Freshpoll);
    ini.writeString(kSection, "Language", Language);
    ini.writeBool(kSection, "writeplaylist", options.writePlaylist);
    ini.writeBool(kSection, "skipsame", options.skipSame);
    ini.writeBool(kSection, "number", options.number);
    ini.save();
}

} // namespace tw::job
