#include "bridge/Commands.h"

#include "plugin/Registry.h"
#include "plugin/Constants.h"

String WindowCommand(CTSTR verb, HWND window) {
    String command(verb);
    command << WindowIdText(window);
    return command;
}

String PlatformCommand() {
    String command(names::kSetPlatformCommand);
    command << String(names::kPlatformCode);
    return command;
}

String StartupMessageText(StartupMessage message) {
    CTSTR first = names::kMissingAssemblyMessage;
    CTSTR help = names::kHelpLineShort;
    if (message == StartupMessage::NoRuntime) {
        first = names::kNoRuntimeMessage;
    } else if (message == StartupMessage::RuntimeFault) {
        first = names::kRuntimeFaultMessage;
        help = names::kHelpLineLong;
    }
    String text(first);
    text << names::kMessageLineBreak << help << names::kSupportGroup;
    return text;
}

ShowFormOutcome ShowFormOutcomeOf(std::int32_t callResult, std::uint32_t answer) noexcept {
    if (callResult < 0) return ShowFormOutcome::Failed;
    if (answer == names::kShowFormAccepted) return ShowFormOutcome::Accepted;
    if (answer == names::kShowFormDeclined) return ShowFormOutcome::Declined;
    return ShowFormOutcome::Failed;
}
