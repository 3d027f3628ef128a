// The open project: its folder, its name (the folder's last component), a
// modified flag and the ordered list of its files. It reads and writes the
// project file (see ProjectFile.h for the bytes) and tells the user itself,
// in a message box, when that fails. The project tree derives from it, so
// the tree and the open project are one object.
#pragma once

#include "project/ProjectEntry.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class CProjectData {
public:
    CProjectData() = default;
    // A modified project is offered for saving before it goes.
    virtual ~CProjectData();
    CProjectData(const CProjectData&) = delete;
    CProjectData& operator=(const CProjectData&) = delete;

    // Writes the project file atomically: a failure leaves the previous
    // file as it was. An empty path is the default one: the folder, "/",
    // the name and ".dat". Success clears the modified flag.
    bool Save(const std::string& path = {});
    // Reads a project file. Not project data or unreadable: a message, and
    // the project in memory stays as it was. The folder becomes the file's
    // folder and the name that folder's last component; the modified flag
    // is left alone.
    bool Load(const std::string& path);
    // Empties the project without writing anything.
    void Reset();
    void FreeEntries();
    // The place in the list of the first entry whose path equals the text
    // byte for byte.
    std::optional<std::size_t> FindEntry(const std::string& cp932Path) const;

    // Local paths (UTF-8); empty while no project is open.
    const std::string& Folder() const { return folder_; }
    const std::string& Name() const { return name_; }
    void SetFolder(const std::string& folder) { folder_ = folder; }
    void SetName(const std::string& name) { name_ = name; }
    std::string DefaultPath() const { return folder_ + "/" + name_ + ".dat"; }

    bool IsModified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }

    const std::vector<std::unique_ptr<PROJECT_ENTRY>>& Entries() const { return entries_; }
    // Appends an entry, which the project then owns; returns it.
    PROJECT_ENTRY* AppendEntry(std::unique_ptr<PROJECT_ENTRY> entry);
    // Takes the entry out of the list and deletes it.
    void RemoveEntry(std::size_t index);

    // The question asked before a modified project is lost; Yes saves.
    // Returns false only when the user chose to save and the save failed.
    bool OfferSave();

private:
    std::string folder_;
    std::string name_;
    bool modified_ = false;
    std::vector<std::unique_ptr<PROJECT_ENTRY>> entries_;
};
