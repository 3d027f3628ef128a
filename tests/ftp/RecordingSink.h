// A transfer sink that records what the engine reports, as the dialog would
// show it, and can pull the cancel flag at a chosen moment.
#pragma once

#include "ftp/FtpTransferSink.h"
#include "platform/text/Sjis.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

class RecordingSink : public FtpTransferSink {
public:
    struct Message {
        std::string text; // UTF-8
        std::string caption;
    };

    std::vector<std::string> statuses; // UTF-8
    std::vector<std::string> captions; // UTF-8
    std::vector<Message> messages;
    std::vector<std::uint64_t> ranges;
    std::vector<int> percents;
    std::uint64_t lastPos = 0;
    int animations = 0;
    // Called after each progress position: the test may cancel here.
    std::function<void(std::uint64_t)> onPosition;

    void SetStatusText(const std::string& text) override { statuses.push_back(sjis::ToUtf8(text)); }
    void SetCaption(const std::string& text) override { captions.push_back(sjis::ToUtf8(text)); }
    void SetProgressRange(std::uint64_t total) override { ranges.push_back(total); }
    void SetProgressPos(std::uint64_t bytes) override
    {
        lastPos = bytes;
        if (onPosition)
            onPosition(bytes);
    }
    void ShowPercent(int percent) override { percents.push_back(percent); }
    void ShowRate(double) override {}
    void ShowTimeLeft(std::uint64_t, std::uint64_t, std::uint64_t) override {}
    void ClearProgressLines() override {}
    void PlayAnimation() override { ++animations; }
    void ShowMessage(const std::string& text, const std::string& caption, UINT) override
    {
        messages.push_back({sjis::ToUtf8(text), sjis::ToUtf8(caption)});
    }
};
