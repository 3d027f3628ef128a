// The recent-file list: the last files opened, newest first, kept in the
// settings hive as "File1" ... "FileN" under the program's "Recent File List"
// key. The paths are local file names stored as they were given.
#pragma once

#include <string>
#include <vector>

class CRecentFileList {
public:
    static constexpr const char* kKeyPath =
        "Software\\Local AppWizard-Generated Applications\\KESTRIX_2\\Recent File List";

    explicit CRecentFileList(int size = 4);

    // Replaces the list with what the hive holds; empty and repeated
    // entries are skipped.
    void ReadList();
    // Writes the list to the hive, an empty text in each slot it does not
    // fill. False when the hive could not be written.
    bool WriteList() const;

    // Puts a path first; the same file further down is dropped, and the
    // oldest falls off a full list.
    void Add(const std::string& path);
    // Drops the entry at the index (0 = newest); other indices do nothing.
    void Remove(int index);

    int GetSize() const { return size_; }
    int Count() const { return int(entries_.size()); }
    bool IsEmpty() const { return entries_.empty(); }
    const std::string& operator[](int index) const { return entries_.at(std::size_t(index)); }
    const std::vector<std::string>& Entries() const { return entries_; }

    // "File1" for index 0.
    static std::string ValueName(int index);

private:
    int size_;
    std::vector<std::string> entries_;
};
