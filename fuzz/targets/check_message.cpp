// The syntax check's reading of the interpreter's messages, on any bytes: the
// line number is -1 exactly when there is no "line ", and the run path is
// taken out of the output the same wherever the pipe cut it into pieces.
#include "FuzzCheck.h"
#include "run/CCheckMessage.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The number is kept in 16 bits as the check always kept it, so a large
    // one may read as negative; the view then scrolls to its top.
    const short line = CCheckMessage::GetLineNumber(FuzzBytes(data, size));
    const bool named = FuzzBytes(data, size).find("line ") != std::string_view::npos;
    FUZZ_CHECK(named || line == -1, "a line number without \"line \"");

    FuzzedDataProvider input(data, size);
    // The run path is the temporary copy's path, which holds no line break.
    std::string path = input.ConsumeRandomLengthString(12);
    std::erase(path, '\n');
    std::vector<std::string> pieces;
    std::string whole;
    while (input.remaining_bytes() > 0) {
        pieces.push_back(input.ConsumeRandomLengthString(64));
        whole += pieces.back();
    }
    CCheckOutputFilter split(path);
    std::string out;
    for (const std::string& piece : pieces)
        out += split.Add(piece);
    out += split.Finish();
    CCheckOutputFilter once(path);
    std::string expected = once.Add(whole);
    expected += once.Finish();
    FUZZ_CHECK(out == expected, "the output depends on where the pipe cut it");
    FUZZ_CHECK(out.size() <= whole.size(), "taking the path out made the output longer");
    return 0;
}
