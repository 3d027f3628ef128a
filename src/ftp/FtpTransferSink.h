// What the transfer engine tells while it works, and the questions it asks.
// The transfer dialog answers on the user-interface thread; the engine calls
// from its worker thread, so every call is handed over, never run on a
// widget from the worker. Texts are code page 932.
#pragma once

#include "platform/base/WinTypes.h"

#include <cstdint>
#include <string>

class FtpTransferSink {
public:
    virtual ~FtpTransferSink() = default;

    virtual void SetStatusText(const std::string& text) = 0;
    virtual void SetCaption(const std::string& text) = 0;
    // A new file: the bar counts 0 to total bytes.
    virtual void SetProgressRange(std::uint64_t total) = 0;
    virtual void SetProgressPos(std::uint64_t bytes) = 0;
    virtual void ShowPercent(int percent) = 0;
    virtual void ShowRate(double bytesPerMillisecond) = 0;
    virtual void ShowTimeLeft(std::uint64_t seconds, std::uint64_t done, std::uint64_t total) = 0;
    // The time-left, rate and status lines emptied at the end of a file.
    virtual void ClearProgressLines() = 0;
    virtual void PlayAnimation() = 0;
    // A message the user must see before the transfer goes on; returns
    // when it was acknowledged.
    virtual void ShowMessage(const std::string& text, const std::string& caption, UINT flags) = 0;
};
