#include "bridge/Inbound.h"

#include "bridge/Payload.h"
#include "plugin/Constants.h"
#include "plugin/HostText.h"

namespace {

int Opaque(int colour) noexcept {
    return static_cast<int>(static_cast<std::uint32_t>(colour) | names::kOpaqueAlpha);
}

}  // namespace

void ApplyCopyData(SourceRecord& record, std::uintptr_t code, const String& payload) {
    if (code == names::kCopyText) {
        record.textFlag = 1;
        record.text = payload;
        return;
    }
    XElement* settings = record.settings;
    if (!settings) return;
    switch (code) {
        case names::kCopySetInt:
        case names::kCopySetString:
        case names::kCopySetColor: {
            const KeyValue pair = SplitKeyValue(payload);
            if (!pair.key.IsValid() || !pair.value.IsValid()) return;
            if (code == names::kCopySetInt)
                settings->SetInt(pair.key.Array(), pair.value.ToInt(10));
            else if (code == names::kCopySetString)
                settings->SetString(pair.key.Array(), pair.value.Array());
            else
                settings->SetInt(pair.key.Array(), Opaque(pair.value.ToInt(10)));
            return;
        }
        case names::kCopyLog:
            Log(L"%ls", TextOf(payload));
            return;
        case names::kCopyRandomForeColor:
            if (payload.IsValid()) settings->SetInt(keys::kRandomForeColor, Opaque(payload.ToInt(10)));
            return;
        default:
            return;
    }
}

void ApplyPayloadEncoding(SourceRecord& record, int value, int& usingAscii) {
    usingAscii = value;
    if (record.settings) record.settings->SetInt(keys::kUsingAscii, value);
}
