/* C frames with clean-ups, compiled with exception tables: their tables name the C language's
   personality routine, which the program replaces by a pass-through to the C++ one. */

#include "tests/launcher/cleanup_frames.h"

struct Scope {
    struct CleanupLog* log;
    int frame;
};

static void RecordCleanup(struct Scope* scope) {
    struct CleanupLog* log = scope->log;
    if (log->count < CleanupLogSize) {
        log->frames[log->count] = scope->frame;
    }
    ++log->count;
}

void CallWithCleanup(int frame, void (*callback)(struct CleanupLog*), struct CleanupLog* log) {
    struct Scope scope __attribute__((cleanup(RecordCleanup))) = {log, frame};
    callback(scope.log);
}
