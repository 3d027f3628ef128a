#include "run/CWebServerRun.h"

#include "platform/process/ProcessScan.h"
#include "platform/registry/SettingsStore.h"
#include "platform/shell/Shell.h"
#include "platform/text/Sjis.h"
#include "platform/ui/UiService.h"

#include <QByteArray>
#include <QProcess>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::string J(const char* utf8)
{
    return sjis::FromUtf8(utf8);
}

// A folder path without the "/" a user may have typed at its end.
std::string WithoutTrailingSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

} // namespace

void CWebServerRun::LoadSettings()
{
    const settings::WebServerSettings web = settings::LoadWebServerSettings();
    serverApp_ = web.webApp;
    rootDir_ = web.rootDir;
    host_ = web.localhostIp;
}

bool CWebServerRun::HasSettings() const
{
    return !rootDir_.empty() && !host_.empty() && !serverApp_.empty();
}

bool CWebServerRun::IsServerStopped() const
{
    return !IsProcessRunning(kOsFamily, serverApp_);
}

bool CWebServerRun::IsUnderRoot(const std::string& root, const std::string& folder)
{
    const std::string r = WithoutTrailingSlash(root);
    const std::string f = WithoutTrailingSlash(folder);
    if (f == r)
        return true;
    return f.size() > r.size() && f.compare(0, r.size(), r) == 0 && (r == "/" || f[r.size()] == '/');
}

std::string CWebServerRun::Address(const std::string& host, const std::string& root,
                                   const std::string& folder, const std::string& file)
{
    const std::string r = WithoutTrailingSlash(root);
    const std::string f = WithoutTrailingSlash(folder);
    std::string below = f.size() > r.size() ? f.substr(r == "/" ? 0 : r.size()) : std::string();
    const std::string path = below + "/" + file;
    const QByteArray encoded = QByteArray::fromStdString(path).toPercentEncoding("/");
    return "http://" + host + encoded.toStdString();
}

bool CWebServerRun::StartServer() const
{
    // No shell: the server's path is the program, started in its own
    // session in the document root, and left running.
    return QProcess::startDetached(QString::fromLocal8Bit(serverApp_.c_str()), {},
                                   QString::fromLocal8Bit(rootDir_.c_str()));
}

std::string CWebServerRun::CopyToRoot(const std::string& folder)
{
    const fs::path from = WithoutTrailingSlash(folder);
    const fs::path target = fs::path(WithoutTrailingSlash(rootDir_)) / from.filename();
    std::error_code ec;
    // A folder that holds the root would copy into itself without end.
    const bool holdsRoot = IsUnderRoot(from.string(), rootDir_);
    if (!holdsRoot && !from.filename().empty() && fs::is_directory(from, ec)) {
        // Files are copied with their permissions, so CGI scripts stay
        // executable; files already at the target are replaced.
        fs::copy(from, target, fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
        if (!ec)
            return target.string();
    }
    MessageBox(nullptr, J("プロジェクトファイルのコピーに失敗しました"), "Error", MB_OK | MB_ICONERROR);
    return {};
}

void CWebServerRun::RunOnWebServer(std::string folder, std::string file)
{
    const std::string notice = J("通知");
    if (!HasSettings()) {
        MessageBox(nullptr, J("Webサーバアプリケーション情報の設定が行なわれていません"), notice,
                   MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (folder.empty()) {
        const fs::path full(file);
        folder = full.parent_path().string();
        file = full.filename().string();
    }
    if (IsServerStopped() && !StartServer()) {
        MessageBox(nullptr, J("Webサーバーアプリケーションの起動に失敗しました"), notice,
                   MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (!IsUnderRoot(rootDir_, folder)) {
        MessageBox(nullptr,
                   J("Webサーバアプリケーションのルートディレクトリ下に指定のファイルがありません。"), notice,
                   MB_OK | MB_ICONINFORMATION);
        if (MessageBox(nullptr, J("ディレクトリ下にファイルをコピーし実行しますか?"), notice,
                       MB_YESNO | MB_ICONQUESTION) != IDYES) {
            MessageBox(nullptr, J("CGIの実行を中止します"), notice, MB_OK | MB_ICONINFORMATION);
            return;
        }
        folder = CopyToRoot(folder);
        if (folder.empty())
            return;
    }
    const std::string address = Address(host_, rootDir_, folder, file);
    if (!ShellOpenUrl(address))
        MessageBox(nullptr, J("ブラウザの起動に失敗しました") + "\n" + address, "Error",
                   MB_OK | MB_ICONERROR);
}
