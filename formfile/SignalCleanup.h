// Removes the temporary file of a write under way when the program is stopped by a signal (Ctrl+C,
// a kill, a hang-up, the file size limit), so that no stray file is left beside the target.
#pragma once

#include <csignal>
#include <string>

namespace dfm {

class SignalCleanup {
public:
    // Handlers for SIGINT, SIGTERM, SIGHUP and SIGXFSZ that remove the pending file, then let the
    // signal end the program as it would have. Programs that want this call it once at start.
    static void install();
    // The file to remove should a signal come now; one at a time. A path too long for the fixed
    // buffer the handler reads is not kept.
    static void setPending(const std::string& path);
    static void clearPending();

    // Holds the handled signals back while it lives, so that a file and its pending name come
    // and go together: a handler never removes a name that is not yet, or no longer, the file's.
    class Hold {
    public:
        Hold();
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        sigset_t previous_;
    };
};

}  // namespace dfm
