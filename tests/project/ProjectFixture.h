// What the project tree's tests share: a host that records what the tree
// asks of the parts above it (and lays dialogs out as the program does), a
// project folder of scripts on disk, and helpers to read the tree's shape.
#pragma once

#include "ScriptedUi.h"
#include "TempDir.h"

#include "app/builders/CDialogBuilder.h"
#include "platform/richedit/CRichEditCtrl.h"
#include "platform/text/Sjis.h"
#include "project/CProjectView.h"
#include "project/ProjectTreeHost.h"

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace projecttest {

inline std::string J(const std::string& utf8)
{
    return sjis::FromUtf8(utf8);
}

class RecordingHost : public ProjectTreeHost {
public:
    CRichEditCtrl* OpenDocumentFile(const std::string& localPath) override
    {
        opened.push_back(localPath);
        auto& editor = editors[localPath];
        if (!editor) {
            editor = std::make_unique<CRichEditCtrl>();
            editor->StreamIn(StreamFormat::Text, ReadFileBytes(localPath));
        }
        return editor.get();
    }
    bool HasEditorWindowsToClose() const override { return editorWindows; }
    void CloseEditorWindows() override { ++closedEditorWindows; }
    void ExecuteFile(const std::string& folder, const std::string& file) override
    {
        runs.push_back("debug " + folder + " " + file);
    }
    void RunOnWebServer(const std::string& folder, const std::string& file) override
    {
        runs.push_back("web " + folder + " " + file);
    }
    void BuildDialog(QWidget* dialog, UINT id, const std::map<int, ControlMaker>& makers) override
    {
        CDialogBuilder builder(id);
        for (const auto& [control, maker] : makers)
            builder.Use(control, maker);
        builder.Build(dialog);
    }
    bool StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& folder) override
    {
        std::string line = program;
        for (const std::string& argument : arguments)
            line += " " + argument;
        started.push_back(line + " in " + folder);
        return true;
    }
    bool OpenWithDesktop(const std::string& localPath) override
    {
        started.push_back("desktop " + localPath);
        return true;
    }

    std::vector<std::string> opened;
    std::map<std::string, std::unique_ptr<CRichEditCtrl>> editors;
    bool editorWindows = false;
    int closedEditorWindows = 0;
    std::vector<std::string> runs;
    std::vector<std::string> started;
};

class ProjectFixture : public ::testing::Test {
protected:
    ProjectFixture() { tree_.SetHost(&host_); }
    ~ProjectFixture() override { tree_.SetModified(false); }

    // A project file of the given files (name → content) in a folder
    // "site" of the test's own; returns the project file's path.
    std::string MakeProject(const std::vector<std::pair<std::string, std::string>>& files)
    {
        const std::string folder = dir_.file("site");
        mkdir(folder.c_str(), 0755);
        CProjectData data;
        for (const auto& [name, content] : files) {
            const std::string path = dir_.write("site/" + name, content);
            auto entry = std::make_unique<PROJECT_ENTRY>();
            entry->SetPath(J(path));
            entry->kind = IsHtmlFileName(name) ? PROJECT_ENTRY::kHtml : PROJECT_ENTRY::kScript;
            data.AppendEntry(std::move(entry));
        }
        data.SetFolder(folder);
        data.SetName("site");
        EXPECT_TRUE(data.Save());
        return data.DefaultPath();
    }

    void Open(const std::string& projectFile)
    {
        ui_.AnswerFile(projectFile);
        tree_.OpenProject();
        ASSERT_TRUE(tree_.Scans().WaitForIdle(10000));
    }

    // The tree as lines: "text" per item, indented two blanks per level.
    std::vector<std::string> Shape() const
    {
        std::vector<std::string> lines;
        std::function<void(QTreeWidgetItem*, int)> walk = [&](QTreeWidgetItem* item, int depth) {
            lines.push_back(std::string(2 * depth, ' ') + item->text(0).toStdString());
            for (int i = 0; i < item->childCount(); ++i)
                walk(item->child(i), depth + 1);
        };
        for (int i = 0; i < tree_.topLevelItemCount(); ++i)
            walk(tree_.topLevelItem(i), 0);
        return lines;
    }

    QTreeWidgetItem* Script(const std::string& name) const { return tree_.FindChildItem(nullptr, J(name)); }

    std::string LastBox() const { return ui_.Boxes().empty() ? "" : ui_.Boxes().back().Utf8Text(); }

    ScriptedUi ui_;
    TempDir dir_;
    RecordingHost host_;
    CProjectView tree_;
};

} // namespace projecttest
