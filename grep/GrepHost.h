// What the grep engine needs from whoever runs it: the window, dfmgrep, or a test.
#pragma once

#include "ScanMessages.h"

#include <cstddef>
#include <string>

namespace dfm {

enum class GrepInput { Directory, Mask, Key };

class GrepHost : public ScanMessages {
public:
    // An input check refused the search: the plain message box, then the box named is focused.
    virtual void inputRefused(GrepInput input, const std::string& message) = 0;
    // The walk starts / has ended (also after Stop or a failure): controls go off and on again.
    virtual void searchStarted() = 0;
    virtual void searchEnded() = 0;
    // The status line; found: the file shown holds the key (shown in purple).
    virtual void showStatus(const std::string& text, bool found) = 0;
    // Pending events get handled here, once per file.
    virtual void letEventsThrough() = 0;
    // True once for each press of Stop.
    virtual bool takeStopRequest() = 0;
    virtual void addFile(const std::string& path) = 0;
    // Lines now in the result list, earlier searches' kept lines included.
    virtual std::size_t fileCount() const = 0;
};

}  // namespace dfm
