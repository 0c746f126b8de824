#pragma once
// Shared helpers of the tests: a fresh host folder per test, file access and
// readable printing of GBK texts.
#include <QTemporaryDir>
#include <string>

// Points the host folder at a new temporary folder for the life of the object.
// A name puts it in its folder's name ("Straße" for a folder that GBK cannot
// spell).
class TempHostFolder {
public:
    TempHostFolder();
    explicit TempHostFolder(const QString& name);
    ~TempHostFolder();
    // Path bytes below the folder; relative is a GBK name.
    std::string Path(const std::string& relative = {}) const;
    bool Write(const std::string& relative, const std::string& bytes) const;
    std::string Read(const std::string& relative) const;
    bool Exists(const std::string& relative) const;

private:
    QTemporaryDir m_dir;
};

// Sets an environment variable for the life of the object, then puts back
// what was there, unset included.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* m_name;
    bool m_wasSet;
    QByteArray m_old;
};

// Converts GBK to UTF-8 for failure messages.
std::string Utf8(const std::string& gbk);
// Reads and writes whole files by path bytes.
std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// Delivers posted commands and other queued work.
void ProcessEvents();

class QPushButton;
class QWidget;
// The push button with the control id anywhere in the window, or nullptr.
QPushButton* FindButton(QWidget* window, int id);
// Clicks that button as the user does; a test fails on a window without it.
void PressButton(QWidget* window, int id);
