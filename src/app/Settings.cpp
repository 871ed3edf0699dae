#include "app/Settings.h"

namespace tw::app {
namespace {

constexpr const char* kSection = "Settings";

} // namespace

Settings Settings::read(const IniFile& ini) {
    Settings s;
    s.Top = ini.readInteger(kSection, "Top", s.Top);
    s.Left = ini.readInteger(kSection, "Left", s.Left);
    s.structure = ini.readBool(kSection, "structure", s.structure);
    s.translit = ini.readBool(kSection, "translit", s.translit);
    s.onlymp3 = ini.readBool(kSection, "onlymp3", s.onlymp3);
    s.max = ini.readBool(kSection, "max", s.max);
    s.Freshpoll = ini.readBool(kSection, "Freshpoll", s.Freshpoll);
    s.Language = ini.readString(kSection, "Language", s.Language);
    return s;
}

void Settings::write(IniFile& ini) const {
    ini.writeInteger(kSection, "Top", Top);
    ini.writeInteger(kSection, "Left", Left);
    ini.writeBool(kSection, "structure", structure);
    ini.writeBool(kSection, "translit", translit);
    ini.writeBool(kSection, "onlymp3", onlymp3);
    ini.writeBool(kSection, "max", max);
    ini.writeBool(kSection, "Freshpoll", Freshpoll);
    ini.writeString(kSection, "Language", Language);
    ini.save();
}

} // namespace tw::app
