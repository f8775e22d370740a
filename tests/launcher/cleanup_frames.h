#pragma once
/* A C frame that runs a clean-up when it is left, normally or by an exception. */

#ifdef __cplusplus
extern "C" {
#endif

enum { CleanupLogSize = 4 };

/* The frames whose clean-ups ran, in the order they ran. */
struct CleanupLog {
    int count;
    int frames[CleanupLogSize];
};

/* Calls callback(log) from a frame whose clean-up records the number frame in log. */
void CallWithCleanup(int frame, void (*callback)(struct CleanupLog*), struct CleanupLog* log);

#ifdef __cplusplus
}
#endif
