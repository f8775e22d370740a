#include "platform/linux/desktop/attempts.h"

#include <cstdio>

namespace RawLayer::Os::Linux {

void Attempts::Note(const char* service, const BusOutcome& outcome) {
    if (outcome.done) {
        return;
    }
    if (outcome.errorName.empty() || outcome.NotThere()) {
        NoteMissing(outcome.errorName.empty() ? outcome.errorMessage
                                              : "no " + std::string(service));
        return;
    }
    NoteRefusal(std::string(service) + " refused: " + outcome.errorName + ": " +
                outcome.errorMessage);
}

void Attempts::NoteRefusal(const std::string& why) {
    if (refusal.empty()) {
        refusal = why;
    }
}

void Attempts::NoteMissing(const std::string& why) {
    if (missing.find(why) == std::string::npos) {
        missing += (missing.empty() ? "" : "; ") + why;
    }
}

bool Attempts::Refuse() const {
    return Refuse(refusal.empty() ? missing : refusal);
}

bool Attempts::Refuse(const std::string& reason) const {
    std::fprintf(stderr, "velmoran: %s: %s\n", action.c_str(), reason.c_str());
    std::fflush(stderr);
    return false;
}

}  // namespace RawLayer::Os::Linux
