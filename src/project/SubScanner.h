// Finding the subs declared in a script. The scanner works byte by byte on
// the Shift-JIS text, as the rest of the program does, and knows nothing of
// Perl's syntax beyond this:
//
//   - a declaration is the four bytes "sub " (lower case) at the start of
//     the text or after a white-space byte (space, tab, LF, VT, FF, CR);
//     "mysub " or "#sub " declare nothing;
//   - white space after "sub " is skipped, then the name is the run of
//     ASCII letters, digits and underscores that follows; it ends at any
//     other byte, so "main::run" gives "main" and a double-byte character
//     ends a name;
//   - an empty name (as in "sub {" of an anonymous sub) is no declaration.
//
// A script read from disk when a project opens and a text from the editor
// are scanned by the same rules, so a rescan of an unchanged script leaves
// its list of subs as the opening made it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace subscan {

// Looks for the next declaration from position: the position after it and
// its name (empty when the "sub " found is not one), or nothing when the
// text holds no further "sub ".
std::optional<std::size_t> ScanNextSub(std::string_view text, std::size_t position, std::string& name);

// Every declared name of a text, in the order of the text, repeats kept.
std::vector<std::string> ScanSubs(std::string_view text);

// How a script's listed subs follow a rescan of its text: each listed name
// no longer declared loses one item, each declared name not yet listed
// gains one; names listed and still declared stay as they are, repeats
// included.
struct Changes {
    std::vector<std::string> remove; // delete the first item of each name
    std::vector<std::string> add;    // insert one item of each name
    bool Empty() const { return remove.empty() && add.empty(); }
};
Changes RescanChanges(const std::vector<std::string>& listed, const std::vector<std::string>& declared);

} // namespace subscan
