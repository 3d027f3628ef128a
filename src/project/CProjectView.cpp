#include "project/CProjectView.h"

#include "platform/registry/SettingsStore.h"
#include "platform/resources/ProgramResources.h"
#include "platform/richedit/CRichEditCtrl.h"
#include "platform/text/Sjis.h"
#include "platform/ui/UiService.h"
#include "project/CNewProjectDlg.h"
#include "project/CProjectIcons.h"
#include "project/ProjectTreeHost.h"
#include "project/SubScanner.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

constexpr int kImageRole = Qt::UserRole;
constexpr int kEntryRole = Qt::UserRole + 1;
constexpr int kIdRole = Qt::UserRole + 2;

ProjectTreeHost& NoHost()
{
    static ProjectTreeHost host;
    return host;
}

std::string J(const char* utf8)
{
    return sjis::FromUtf8(utf8);
}

// Items sort alphabetically without regard to case, as file names are
// read; names that differ only in case keep a fixed order.
class SortedItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override
    {
        const int order = text(0).compare(other.text(0), Qt::CaseInsensitive);
        return order != 0 ? order < 0 : text(0) < other.text(0);
    }
};

QTreeWidgetItem* MakeItem(const QString& text, int image)
{
    auto* item = new SortedItem(QStringList{text});
    // The five pictures are painted once and shared by every item.
    static const std::array<QIcon, CProjectIcons::kCount> icons = [] {
        std::array<QIcon, CProjectIcons::kCount> painted;
        for (int i = 0; i < CProjectIcons::kCount; ++i)
            painted[std::size_t(i)] = QIcon(CProjectIcons::Icon(i));
        return painted;
    }();
    item->setData(0, kImageRole, image);
    item->setIcon(0, icons[std::size_t(image)]);
    return item;
}

// A sub's name is ASCII letters, digits and underscores only, so it needs
// no code page conversion.
QTreeWidgetItem* MakeSubItem(const std::string& name)
{
    return MakeItem(QString::fromLatin1(name.data(), qsizetype(name.size())), CProjectView::kSubImage);
}

void SortChildren(QTreeWidgetItem* item)
{
    item->sortChildren(0, Qt::AscendingOrder);
}

// Copies a file over the target; a source that already is the target stays.
bool CopyInto(const std::string& source, const std::string& target)
{
    std::error_code ec;
    if (fs::exists(target, ec) && fs::equivalent(source, target, ec))
        return true;
    return fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec);
}

} // namespace

CProjectView::CProjectView(QWidget* parent) : QTreeWidget(parent), host_(&NoHost())
{
    setObjectName(QStringLiteral("ProjectView"));
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setIconSize(QSize(CProjectIcons::kSize, CProjectIcons::kSize));
    setSelectionMode(QAbstractItemView::SingleSelection);
    scans_.onResult = [this](const ScanResult& result) { OnScanResult(result); };
    connect(this, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { OnDoubleClick(item); });
}

CProjectView::~CProjectView()
{
    ForgetScans();
}

void CProjectView::SetHost(ProjectTreeHost* host)
{
    host_ = host ? host : &NoHost();
}

bool CProjectView::LoadAppSettings()
{
    const bool read = settings::ReadHtmlAppPath(htmlEditor_);
    host_->ReloadWebServerSettings();
    return read;
}

int CProjectView::ImageOf(const QTreeWidgetItem* item)
{
    return item ? item->data(0, kImageRole).toInt() : -1;
}

PROJECT_ENTRY* CProjectView::EntryOf(const QTreeWidgetItem* item)
{
    return item ? reinterpret_cast<PROJECT_ENTRY*>(item->data(0, kEntryRole).value<quintptr>()) : nullptr;
}

std::vector<std::string> CProjectView::SubNames(const QTreeWidgetItem* script)
{
    std::vector<std::string> names;
    for (int i = 0; script && i < script->childCount(); ++i)
        names.push_back(sjis::FromUnicode(script->child(i)->text(0)));
    return names;
}

QTreeWidgetItem* CProjectView::FindChildItem(QTreeWidgetItem* parent, const std::string& cp932Text) const
{
    if (!parent)
        parent = sourceFiles_;
    if (!parent)
        return nullptr;
    const QString text = sjis::ToUnicode(cp932Text);
    for (int i = 0; i < parent->childCount(); ++i)
        if (parent->child(i)->text(0) == text)
            return parent->child(i);
    return nullptr;
}

// ---- the tree ----

void CProjectView::RebuildTree()
{
    clear();
    scripts_.clear();
    addTopLevelItem(MakeItem(QString::fromStdString(Name()), kProjectImage));
    sourceFiles_ = MakeItem(QStringLiteral("Source Files"), kGroupImage);
    htmlFiles_ = MakeItem(QStringLiteral("Html Files"), kGroupImage);
    addTopLevelItem(sourceFiles_);
    addTopLevelItem(htmlFiles_);
    for (const auto& entry : Entries())
        AddFileItem(entry.get());
    SortChildren(sourceFiles_);
    SortChildren(htmlFiles_);
    sourceFiles_->setExpanded(true);
    htmlFiles_->setExpanded(true);
}

QTreeWidgetItem* CProjectView::AddFileItem(PROJECT_ENTRY* entry)
{
    const bool html = entry->IsHtml();
    QTreeWidgetItem* item = MakeItem(sjis::ToUnicode(entry->FileName()), html ? kHtmlImage : kScriptImage);
    item->setData(0, kEntryRole, QVariant::fromValue(reinterpret_cast<quintptr>(entry)));
    const std::uint64_t id = nextItemId_++;
    item->setData(0, kIdRole, QVariant::fromValue<qulonglong>(id));
    if (!html)
        scripts_[id] = item;
    // A file that is not where the project says (a project from another
    // machine, a file deleted since) is shown greyed, with its path.
    std::error_code ec;
    if (!fs::exists(entry->LocalPath(), ec)) {
        item->setForeground(0, palette().brush(QPalette::Disabled, QPalette::Text));
        item->setToolTip(0, sjis::ToUnicode(entry->Path()));
    }
    (html ? htmlFiles_ : sourceFiles_)->addChild(item);
    return item;
}

QTreeWidgetItem* CProjectView::ScriptById(std::uint64_t id) const
{
    const auto found = scripts_.find(id);
    return found == scripts_.end() ? nullptr : found->second;
}

// ---- the project commands ----

void CProjectView::OpenProject()
{
    FileDialogRequest request;
    request.title = J("プロジェクトファイルを開く");
    request.filter = "Project File (*.dat)|*.dat||";
    request.flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    const auto path = UiService::Current().FileDialog(request);
    if (!path || !Load(*path))
        return;
    ForgetScans();
    RebuildTree();
    StartSubScans();
}

bool CProjectView::NewProject()
{
    CNewProjectDlg dialog(*host_);
    if (dialog.DoModal() != IDOK)
        return false;
    CloseProject();
    for (auto& entry : dialog.TakeEntries())
        AppendEntry(std::move(entry));
    SetName(dialog.ProjectName());
    SetFolder(dialog.Folder());

    if (::mkdir(Folder().c_str(), 0777) != 0 && errno != EEXIST) {
        // The folder cannot be made: say so, and leave no half-made project.
        MessageBox(this,
                   J("プロジェクトフォルダを作成できません。\n") + sjis::FromUtf8(Folder()) + "\n" +
                       sjis::FromUtf8(std::strerror(errno)),
                   "Error", MB_OK | MB_ICONEXCLAMATION);
        Reset();
        return false;
    }
    // Each file is copied into the folder and its entry points at the
    // copy; a file that cannot be copied (or whose new path would not fit
    // an entry) is named to the user and left out of the project.
    std::string failed;
    for (std::size_t i = 0; i < Entries().size();) {
        PROJECT_ENTRY& entry = *Entries()[i];
        const std::string target = Folder() + "/" + sjis::ToUtf8(entry.FileName());
        if (!FitsProjectEntry(sjis::FromUtf8(target)) || !CopyInto(entry.LocalPath(), target)) {
            failed += "\n" + entry.Path();
            RemoveEntry(i);
            continue;
        }
        entry.SetPath(sjis::FromUtf8(target));
        ++i;
    }
    if (!failed.empty())
        MessageBox(this, J("次のファイルをプロジェクトフォルダへコピーできませんでした。") + failed, "Error",
                   MB_OK | MB_ICONEXCLAMATION);
    if (!Save())
        return false;
    RebuildTree();
    StartSubScans();
    return true;
}

void CProjectView::CloseProject()
{
    if (host_->HasEditorWindowsToClose() && MessageBox(this, J("表示中の子ウィンドウを全て閉じますか?"),
                                                       J("通知"), MB_YESNO | MB_ICONINFORMATION) == IDYES)
        host_->CloseEditorWindows();
    if (IsModified() && MessageBox(this, J("プロジェクトの内容が変更されています。保存しますか？"), J("通知"),
                                   MB_YESNO) == IDYES)
        Save();
    ForgetScans();
    Reset();
    scripts_.clear();
    clear();
    sourceFiles_ = htmlFiles_ = nullptr;
}

bool CProjectView::AddFile(const std::string& localPath)
{
    if (!sourceFiles_ || Folder().empty())
        return false;
    const std::string fileName = sjis::FromUtf8(FileNameOfPath(localPath));
    const bool html = IsHtmlFileName(fileName);
    if (FindChildItem(html ? htmlFiles_ : sourceFiles_, fileName)) {
        MessageBox(this, J("選択されたファイルの同名のファイルが既に登録されています。"), J("通知"), MB_OK);
        return false;
    }
    const std::string target = Folder() + "/" + FileNameOfPath(localPath);
    auto entry = std::make_unique<PROJECT_ENTRY>();
    if (!entry->SetPath(sjis::FromUtf8(target))) {
        MessageBox(this, J("パスが長すぎるため、プロジェクトに登録できません。\n") + sjis::FromUtf8(target),
                   "Error", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (!CopyInto(localPath, target)) {
        MessageBox(
            this, J("ファイルをプロジェクトフォルダへコピーできませんでした。\n") + sjis::FromUtf8(localPath),
            "Error", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    entry->kind = html ? PROJECT_ENTRY::kHtml : PROJECT_ENTRY::kScript;
    PROJECT_ENTRY* added = AppendEntry(std::move(entry));
    QTreeWidgetItem* item = AddFileItem(added);
    if (!html)
        StartFileScan(item);
    SetModified(true);
    return true;
}

void CProjectView::RemoveSelectedFile()
{
    QTreeWidgetItem* item = currentItem();
    const int image = ImageOf(item);
    if (image != kScriptImage && image != kHtmlImage)
        return;
    // The item's own entry goes, even when another entry has the same path
    // (two files of one name copied to the same target): removing the
    // first equal path would leave the other item without its entry.
    PROJECT_ENTRY* entry = EntryOf(item);
    for (std::size_t i = 0; i < Entries().size(); ++i)
        if (Entries()[i].get() == entry) {
            RemoveEntry(i);
            break;
        }
    SetModified(true);
    const std::uint64_t id = item->data(0, kIdRole).toULongLong();
    rescans_.erase(id);
    scripts_.erase(id);
    delete item;
}

std::vector<UINT> CProjectView::ContextCommands(int image)
{
    switch (image) {
    case kScriptImage:
        return {kAddFileCommand, kRemoveFileCommand, kCloseCommand, 0, kDebugCommand, kRunCommand};
    case kHtmlImage: return {kAddFileCommand, kRemoveFileCommand, kCloseCommand, 0, kRunCommand};
    case kProjectImage:
    case kGroupImage: return {kAddFileCommand, kCloseCommand, 0};
    default: return {};
    }
}

void CProjectView::contextMenuEvent(QContextMenuEvent* event)
{
    const std::vector<UINT> commands = ContextCommands(ImageOf(currentItem()));
    if (commands.empty())
        return;
    QMenu top(this);
    const MenuItemResource& popup = ProgramResources::Menu(kContextMenu).items.front();
    QMenu* menu = top.addMenu(QString::fromStdString(popup.caption));
    for (UINT id : commands) {
        if (id == 0) {
            menu->addSeparator();
            continue;
        }
        for (const MenuItemResource& item : popup.items)
            if (item.id == id)
                menu->addAction(QString::fromStdString(item.caption), this, [this, id] { OnCommand(id); });
    }
    top.exec(event->globalPos());
}

bool CProjectView::OnCommand(UINT id)
{
    switch (id) {
    case kAddFileCommand: {
        FileDialogRequest request;
        request.filter = "CGI Files (*.cgi;*.pl)|*.cgi; *.pl|HTML Files (*.html;*.htm)|*.html; *.htm||";
        request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR;
        if (const auto path = UiService::Current().FileDialog(request))
            AddFile(*path);
        return true;
    }
    case kRemoveFileCommand: RemoveSelectedFile(); return true;
    case kCloseCommand: CloseProject(); return true;
    case kDebugCommand:
    case kRunCommand: RunSelected(id); return true;
    default: return false;
    }
}

void CProjectView::RunSelected(UINT id)
{
    QTreeWidgetItem* item = currentItem();
    if (!item)
        return;
    const std::string file = item->text(0).toStdString();
    if (id == kDebugCommand)
        host_->ExecuteFile(Folder(), file);
    else
        host_->RunOnWebServer(Folder(), file);
}

// ---- double-click ----

bool CProjectView::FileIsThere(const PROJECT_ENTRY& entry)
{
    std::error_code ec;
    if (fs::is_regular_file(entry.LocalPath(), ec))
        return true;
    MessageBox(this, J("ファイルが見つかりません。\n") + entry.Path(), "Error", MB_OK | MB_ICONEXCLAMATION);
    return false;
}

void CProjectView::OnDoubleClick(QTreeWidgetItem* item)
{
    switch (ImageOf(item)) {
    case kScriptImage:
        // A script with subs listed only opens or closes its branch.
        if (item->childCount() == 0 && EntryOf(item))
            OpenScript(*EntryOf(item));
        break;
    case kHtmlImage:
        if (EntryOf(item))
            OpenHtmlPage(*EntryOf(item));
        break;
    case kSubImage: OpenSub(item); break;
    default: break;
    }
}

void CProjectView::OpenScript(const PROJECT_ENTRY& entry)
{
    if (FileIsThere(entry))
        host_->OpenDocumentFile(entry.LocalPath());
}

void CProjectView::OpenHtmlPage(const PROJECT_ENTRY& entry)
{
    if (!FileIsThere(entry))
        return;
    const std::string path = entry.LocalPath();
    const std::string folder = path.substr(0, path.rfind('/'));
    const std::string name = FileNameOfPath(path);
    bool started = htmlEditor_.empty() ? host_->OpenWithDesktop(folder + "/" + name)
                                       : host_->StartProgram(sjis::ToUtf8(htmlEditor_), {name}, folder);
    if (!started)
        MessageBox(this, J("ファイルを開くアプリケーションを起動できませんでした。\n") + entry.Path(),
                   "Error", MB_OK | MB_ICONEXCLAMATION);
}

void CProjectView::OpenSub(QTreeWidgetItem* sub)
{
    const PROJECT_ENTRY* entry = EntryOf(sub->parent());
    if (!entry || !FileIsThere(*entry))
        return;
    CRichEditCtrl* editor = host_->OpenDocumentFile(entry->LocalPath());
    if (!editor)
        return;
    // The declaration of exactly this name: "sub foo" is not found in
    // "sub foobar", which may come first.
    const std::string wanted = sjis::FromUnicode(sub->text(0));
    const std::string text = editor->GetTextRange(0, -1);
    std::string name;
    std::size_t position = 0;
    while (auto next = subscan::ScanNextSub(text, position, name)) {
        if (name == wanted) {
            const std::size_t start = text.rfind("sub ", *next - name.size());
            editor->SetSel(long(start), long(*next));
            editor->centerCursor();
            editor->setFocus();
            return;
        }
        position = *next;
    }
}

// ---- the subs ----

void CProjectView::StartSubScans()
{
    for (int i = 0; sourceFiles_ && i < sourceFiles_->childCount(); ++i)
        StartFileScan(sourceFiles_->child(i));
}

void CProjectView::StartFileScan(QTreeWidgetItem* script)
{
    if (const PROJECT_ENTRY* entry = EntryOf(script))
        scans_.ScanFile(script->data(0, kIdRole).toULongLong(), entry->LocalPath());
}

void CProjectView::ForgetScans()
{
    scans_.NewGeneration();
    rescans_.clear();
}

void CProjectView::OnScanResult(const ScanResult& result)
{
    const std::uint64_t id = result.ticket.itemId;
    QTreeWidgetItem* script = ScriptById(id);
    if (result.kind == ScanKind::File) {
        if (!script)
            return;
        QList<QTreeWidgetItem*> subs;
        subs.reserve(qsizetype(result.names.size()));
        for (const std::string& name : result.names)
            subs.append(MakeSubItem(name));
        script->addChildren(subs);
        SortChildren(script);
        return;
    }
    auto rescan = rescans_.find(id);
    if (script) {
        const subscan::Changes changes = subscan::RescanChanges(SubNames(script), result.names);
        for (const std::string& name : changes.remove)
            delete FindChildItem(script, name);
        for (const std::string& name : changes.add)
            script->addChild(MakeSubItem(name));
        if (!changes.Empty())
            SortChildren(script);
    }
    if (rescan == rescans_.end())
        return;
    if (script && rescan->second.waiting) {
        scans_.ScanText(id, std::move(*rescan->second.waiting));
        rescan->second.waiting.reset();
    } else {
        rescans_.erase(rescan);
    }
}

void CProjectView::AddSubsFromText(const std::string& fileName, const std::string& text)
{
    QTreeWidgetItem* script = FindChildItem(nullptr, fileName);
    if (!script)
        return;
    for (const std::string& name : subscan::ScanSubs(text))
        script->addChild(MakeSubItem(name));
    SortChildren(script);
}

void CProjectView::RemoveSubsInText(const std::string& fileName, const std::string& text)
{
    QTreeWidgetItem* script = FindChildItem(nullptr, fileName);
    if (!script)
        return;
    for (const std::string& name : subscan::ScanSubs(text))
        delete FindChildItem(script, name);
    SortChildren(script);
}

void CProjectView::RescanSubs(const std::string& fileName, const std::string& cp932Text)
{
    RescanText(fileName, sjis::ToUnicode(cp932Text));
}

void CProjectView::RescanText(const std::string& fileName, QString text)
{
    QTreeWidgetItem* script = FindChildItem(nullptr, fileName);
    if (!script)
        return;
    const std::uint64_t id = script->data(0, kIdRole).toULongLong();
    Rescan& rescan = rescans_[id];
    if (rescan.running) {
        rescan.waiting = std::move(text);
        return;
    }
    rescan.running = true;
    scans_.ScanText(id, std::move(text));
}
