// The user's words for a hazard (UTF-8): what Perl will do with the
// character, and the fix. The editor's tooltip and the syntax check's list
// show them.
#pragma once

#include "check/SjisHazard.h"

#include <string>

class CSjisHazardText {
public:
    static std::string ContextName(HazardContext context);

    // What Perl does, e.g. 「表」の 2 バイト目 0x5C (\) は、ダブルクォート文字列の中で
    // 次のバイトをエスケープします。
    static std::string Problem(const SjisHazard& hazard);

    // The cure, e.g. 「表」の後に \ を書きます (表\)。
    static std::string Fix(const SjisHazard& hazard);

    // The syntax check's line: "Shift-JIS: 「表」 ... at <file> line N."
    static std::string ListLine(const SjisHazard& hazard, const std::string& fileName);
};
