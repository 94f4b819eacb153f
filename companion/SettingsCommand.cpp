#include "companion/SettingsCommand.h"

#include "plugin/Registry.h"
#include "plugin/Constants.h"
#include "plugin/HostText.h"

String BuildSettingsCommand(const XElement& settings, std::uint64_t id) {
    String command;
    command << names::kSettingsCommand << IdText(id);
    for (const names::SettingsCommandField& field : names::kSettingsCommandFields) {
        command << names::kSettingsSeparator;
        if (field.textDefault)
            command << ReadText(&settings, field.key, field.textDefault);
        else
            command << ReadInt(&settings, field.key, field.intDefault);
    }
    return command;
}

int ReadUsingAscii(const XElement& settings) noexcept { return ReadInt(&settings, keys::kUsingAscii, 0); }
