// The preview of a CGI script through the local web server: makes sure the
// server program ("WEB_APP") runs, starting it in the document root
// ("ROOT_DIR") when no process of it is found, makes sure the project lies
// under the root (offering to copy it there), and opens the script's address
// on the local server ("LOCALHOST_IP") in the default browser.
//
// The server is started detached: it keeps running after the program
// exits, and the run does not wait for it to be ready.
#pragma once

#include <string>

class CWebServerRun {
public:
    // The family of the system's process search (see ProcessScan.h).
    static constexpr int kOsFamily = 1;

    void RunOnWebServer(std::string folder, std::string file);
    // Reads "WEB_APP", "ROOT_DIR" and "LOCALHOST_IP"; a missing value stays
    // empty. The owner calls it at start-up and when the settings change.
    void LoadSettings();
    bool HasSettings() const;
    bool IsServerStopped() const;
    // Copies the project folder under the root, keeping every file's
    // permissions (CGI scripts stay executable); the copy's path, or empty
    // after the message when the copy failed.
    std::string CopyToRoot(const std::string& folder);

    // The address of a file of a folder under the root: "http://" + host +
    // the folder's path below the root + "/" + file, each byte outside the
    // characters an address may hold percent-encoded.
    static std::string Address(const std::string& host, const std::string& root, const std::string& folder,
                               const std::string& file);
    // Whether the folder is the root or lies below it.
    static bool IsUnderRoot(const std::string& root, const std::string& folder);

    const std::string& RootDir() const { return rootDir_; }
    const std::string& Host() const { return host_; }
    const std::string& ServerApp() const { return serverApp_; }

private:
    bool StartServer() const;

    std::string rootDir_;
    std::string host_;
    std::string serverApp_;
};
