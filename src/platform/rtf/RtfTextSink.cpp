#include "platform/rtf/RtfTextSink.h"

#include "platform/text/Sjis.h"

namespace {

constexpr int kJapaneseCodePage = 932;

} // namespace

void RtfTextSink::Byte(const Format& format, int cp, unsigned char b)
{
    if (hasLead_) {
        if (cp == leadCodePage_ && RtfDecoder::IsTrail(cp, b)) {
            hasLead_ = false;
            const unsigned char pair[2] = {lead_, b};
            if (cp == kJapaneseCodePage)
                Put(leadFormat_, std::string_view(reinterpret_cast<const char*>(pair), 2));
            else {
                QString u;
                decoder_.Decode(cp, pair, 2, u);
                AddUnicode(leadFormat_, u);
            }
            return;
        }
        FlushLead();
    }
    if (RtfDecoder::IsLead(cp, b)) {
        FlushUnicode();
        hasLead_ = true;
        lead_ = b;
        leadCodePage_ = cp;
        leadFormat_ = format;
        return;
    }
    if (b < 0x80 || cp == kJapaneseCodePage) {
        FlushUnicode();
        Put(format, std::string_view(reinterpret_cast<const char*>(&b), 1));
        return;
    }
    QString u;
    decoder_.Decode(cp, &b, 1, u);
    AddUnicode(format, u);
}

void RtfTextSink::Unicode(const Format& format, char32_t c)
{
    QString u;
    RtfDecoder::AppendUcs4(u, c);
    AddUnicode(format, u);
}

void RtfTextSink::Literal(const Format& format, char c)
{
    FlushLead();
    FlushUnicode();
    Put(format, std::string_view(&c, 1));
}

void RtfTextSink::Finish()
{
    FlushLead();
    FlushUnicode();
}

std::vector<RtfTextSink::Piece>& RtfTextSink::Pieces()
{
    return pieces_;
}

std::string RtfTextSink::Take()
{
    Finish();
    std::string text;
    for (const Piece& piece : pieces_)
        text += piece.text;
    pieces_.clear();
    return text;
}

void RtfTextSink::AddUnicode(const Format& format, const QString& u)
{
    FlushLead();
    if (!unicode_.isEmpty() && !(unicodeFormat_ == format))
        FlushUnicode();
    unicodeFormat_ = format;
    unicode_ += u;
}

void RtfTextSink::FlushLead()
{
    if (!hasLead_)
        return;
    hasLead_ = false;
    Put(leadFormat_, "?");
}

void RtfTextSink::FlushUnicode()
{
    if (unicode_.isEmpty())
        return;
    Put(unicodeFormat_, sjis::FromUnicode(unicode_));
    unicode_.clear();
}

void RtfTextSink::Put(const Format& format, std::string_view bytes)
{
    if (pieces_.empty() || !(pieces_.back().format == format))
        pieces_.push_back(Piece{format, {}});
    pieces_.back().text += bytes;
}
