#include "publish/PublishSettings.h"

#include "platform/registry/Registry.h"
#include "platform/registry/SettingsStore.h"

#include <QCryptographicHash>
#include <sstream>

namespace {

constexpr const char* kPublishKey = "software\\KESTRIX\\PUBLISHSETTING\\";
constexpr const char* kProjectDir = "PROJECT_DIR";
constexpr const char* kRemoteDir = "REMOTE_DIR";
constexpr const char* kPublicUrl = "PUBLIC_URL";
constexpr const char* kServerPerl = "SERVER_PERL";

} // namespace

std::string PublishSettings::ProjectId(const std::string& projectFolder)
{
    QByteArray hash =
        QCryptographicHash::hash(QByteArray::fromStdString(projectFolder), QCryptographicHash::Sha256);
    return hash.toHex().left(16).toStdString();
}

std::string PublishSettings::KeyPath(const std::string& projectFolder)
{
    return kPublishKey + ProjectId(projectFolder);
}

PublishSettings PublishSettings::Load(const std::string& projectFolder)
{
    PublishSettings result;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, KeyPath(projectFolder).c_str(), 0, KEY_READ, &key) != 0)
        return result;
    settings::ReadSizedString(key, kRemoteDir, result.remoteFolder);
    settings::ReadSizedString(key, kPublicUrl, result.publicUrl);
    std::string perl;
    if (settings::ReadSizedString(key, kServerPerl, perl) && !perl.empty())
        result.serverPerl = perl;
    RegCloseKey(key);
    return result;
}

unsigned long PublishSettings::Save(const std::string& projectFolder, const PublishSettings& settings)
{
    return settings::WriteGroup(KeyPath(projectFolder).c_str(),
                                {settings::StringValue(kProjectDir, projectFolder),
                                 settings::StringValue(kRemoteDir, settings.remoteFolder),
                                 settings::StringValue(kPublicUrl, settings.publicUrl),
                                 settings::StringValue(kServerPerl, settings.serverPerl)});
}

std::string PublishSettings::NormalRemoteFolder(const std::string& folder)
{
    std::string result;
    std::stringstream parts(folder);
    std::string part;
    while (std::getline(parts, part, '/'))
        if (!part.empty() && part != ".")
            result += "/" + part;
    return result.empty() ? "/" : result;
}
