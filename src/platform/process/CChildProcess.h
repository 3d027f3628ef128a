// A child process the program talks to over pipes: the stand-in for the
// CreateProcessA, CreatePipe, PeekNamedPipe and TerminateProcess calls of the
// syntax check and the debug console.
//
// The program and its arguments go to the child as an argument vector; no
// shell ever sees them, so a blank or a quote in a path is just a character.
// The child runs in a session (and process group) of its own with TERM=dumb:
// perl's debugger then reads its commands from the standard input pipe
// instead of opening the terminal, and prints no escape sequences. Ending a
// run ends the child's whole group, so nothing the script started is left
// behind.
//
// Output is read when the event loop reports that a pipe has data; nothing
// polls. Each stream's bytes arrive in the order the child wrote them, and
// everything the child wrote is delivered before the end is reported.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QProcess;

enum class ChildStream { Output, Error };
enum class ChildInput { Pipe, None };

struct ChildLaunch {
    std::string program;
    std::vector<std::string> arguments;
    // Empty: the program's own current folder.
    std::string workingFolder;
    ChildInput input = ChildInput::Pipe;
};

struct ChildExit {
    int exitCode = 0;
    // The child ended by a signal (crashed or was terminated).
    bool crashed = false;
};

class CChildProcess : public QObject {
    Q_OBJECT
public:
    explicit CChildProcess(QObject* parent = nullptr);
    // Ends a child that still runs, with its whole group.
    ~CChildProcess() override;

    // Called on the thread that owns the object, from its event loop.
    std::function<void(ChildStream stream, std::string_view bytes)> onOutput;
    std::function<void(const ChildExit& exit)> onFinished;

    // Starts the child. False when it could not be started (the program is
    // missing or cannot be run); error then holds the system's error code
    // (ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED ...). Only one child per
    // object at a time.
    bool Start(const ChildLaunch& launch, unsigned& error);
    bool IsRunning() const;
    qint64 ProcessId() const;

    // Writes to the child's standard input; false when the child is not
    // running or takes no input.
    bool Write(std::string_view bytes);
    // Closes the child's standard input (it reads the end of its input).
    void CloseInput();

    // Ends the child's whole process group at once and waits for the child;
    // onFinished is not called. Output not delivered yet is dropped.
    void Terminate();

    // Waits, running the event loop, until the child has ended and its end
    // has been reported; false on time-out. For callers that must finish a
    // run before going on.
    bool WaitForFinished(int timeoutMs);

private:
    void Deliver(ChildStream stream);
    void Finished(int exitCode, bool crashed);

    std::unique_ptr<QProcess> process_;
    bool finished_ = true;
};
