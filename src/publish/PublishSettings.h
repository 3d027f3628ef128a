// Where a project is published: the remote folder on the FTP server (of the
// FTP account in the settings), the public URL that folder is served under,
// and the path of perl on the server, which every script's "#!" line must
// name. Kept per project under a key of its own,
// software\KESTRIX\PUBLISHSETTING\<project id>, beside the other settings:
//
//     PROJECT_DIR   the project's folder (so the key can be told apart)
//     REMOTE_DIR    "/www/cgi-bin"
//     PUBLIC_URL    "http://example.jp/cgi-bin"
//     SERVER_PERL   "/usr/bin/perl" (the default when the value is missing)
//
// The project id is the first 16 hex digits of the SHA-256 of the folder's
// path: a key name that never holds a "\" and stays short whatever the path.
#pragma once

#include <string>

struct PublishSettings {
    static constexpr const char* kDefaultServerPerl = "/usr/bin/perl";

    std::string remoteFolder; // "/" joined, starting with "/"
    std::string publicUrl;
    std::string serverPerl = kDefaultServerPerl;

    // The project's own settings; the defaults when none are stored.
    static PublishSettings Load(const std::string& projectFolder);
    // 0 or the registry's error code.
    static unsigned long Save(const std::string& projectFolder, const PublishSettings& settings);

    // The project's id: a stable, short name for its folder.
    static std::string ProjectId(const std::string& projectFolder);
    static std::string KeyPath(const std::string& projectFolder);

    // The remote folder as the upload uses it: "/" first, no "/" last
    // (except for the top folder itself), no empty components.
    static std::string NormalRemoteFolder(const std::string& folder);
};
