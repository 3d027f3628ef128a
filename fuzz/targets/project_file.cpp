// The project file loader on any bytes: a file is refused or read into
// entries, one per whole 264-byte piece after the header, and the entries
// written again read back the same, with names and paths that never run past
// their field.
#include "FuzzCheck.h"
#include "project/ProjectFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto entries = project_file::Decode(FuzzBytes(data, size));
    if (!entries)
        return 0;
    FUZZ_CHECK(size >= project_file::kHeaderBytes || entries->empty(),
               "entries in a file without its header");
    if (size >= project_file::kHeaderBytes)
        FUZZ_CHECK(entries->size() == (size - project_file::kHeaderBytes) / project_file::kEntryBytes,
                   "not one entry per whole piece");
    std::vector<const PROJECT_ENTRY*> pointers;
    for (const PROJECT_ENTRY& entry : *entries) {
        FUZZ_CHECK(entry.Path().size() <= PROJECT_ENTRY::kMaxPathLength + 1, "a path longer than its field");
        FUZZ_CHECK(entry.FileName().size() <= entry.Path().size(), "a file name longer than its path");
        (void)entry.LocalPath();
        pointers.push_back(&entry);
    }
    const std::string written = project_file::Encode(pointers);
    const auto again = project_file::Decode(written);
    FUZZ_CHECK(again.has_value(), "a written project is not project data");
    FUZZ_CHECK(again->size() == entries->size(), "a written project has other entries");
    for (std::size_t i = 0; i < again->size(); ++i)
        FUZZ_CHECK((*again)[i].Path() == (*entries)[i].Path() &&
                       (*again)[i].IsHtml() == (*entries)[i].IsHtml(),
                   "an entry came back changed");
    return 0;
}
