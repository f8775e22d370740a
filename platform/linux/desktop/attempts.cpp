#include "platform/linux/attempts.h"

#include <cstdio>

namespace RawLayer::Os::Linux {
namespace {

// The program acts once and ends, on one thread: these live for that one action.
std::string noteWithoutCall;
bool refusalSaid = false;

}  // namespace

void NoteWithoutCall(std::string why) {
    noteWithoutCall = std::move(why);
    // A refusal said before, such as the lock's ahead of standing by, was about another step.
    refusalSaid = false;
}

void SayUnsaid() {
    if (!refusalSaid && !noteWithoutCall.empty()) {
        std::fprintf(stderr, "velmoran: %s\n", noteWithoutCall.c_str());
        std::fflush(stderr);
    }
}

void Attempts::Note(const char* service, const BusOutcome& outcome) {
    if (outcome.done) {
        return;
    }
    if (outcome.errorName.empty() || outcome.NotThere()) {
        NoteMissing(outcome.errorName.empty() ? outcome.errorMessage
                                              : "no " + std::string(service));
        return;
    }
    if (refusal.empty()) {
        refusal =
            std::string(service) + " refused: " + outcome.errorName + ": " + outcome.errorMessage;
    }
}

void Attempts::NoteMissing(const std::string& why) {
    if (missing.find(why) == std::string::npos) {
        missing += (missing.empty() ? "" : "; ") + why;
    }
}

bool Attempts::Refuse() const {
    const std::string& reason = refusal.empty() ? missing : refusal;
    std::fprintf(stderr, "velmoran: %s: %s\n", action.c_str(), reason.c_str());
    std::fflush(stderr);
    refusalSaid = true;
    return false;
}

}  // namespace RawLayer::Os::Linux
