#pragma once
// Puts new bytes into a file whole or not at all.
//
// The bytes go to a temporary file beside the target, every one of them is
// checked to have reached the disk, and only then does the temporary file
// replace the target in one rename: a full disk or a crash leaves the old
// file as it was. In a folder that takes no new file (the user may write the
// file but not the folder), an existing file is rewritten in place instead;
// when that fails part-way, its old bytes are written back. Either way false
// means the old content is still there, as far as the disk allows.
//
// The protected operations are the seams through which tests make the
// failures of a full disk or a read-only folder.
#include <string>
#include <string_view>

class QFileDevice;
class QSaveFile;

class CFileWriter {
public:
    CFileWriter() = default;
    virtual ~CFileWriter() = default;
    CFileWriter(const CFileWriter&) = delete;
    CFileWriter& operator=(const CFileWriter&) = delete;

    // path is path bytes.
    bool Replace(const std::string& path, std::string_view bytes);
    // Why the last Replace gave false, as an errno value (ENOSPC for a full
    // disk, EROFS, EACCES, EISDIR for a folder of that name, ...); 0 after
    // a success.
    int LastError() const { return m_error; }

protected:
    // Opens the temporary file beside the target; false when the folder
    // takes no new file.
    virtual bool OpenTemporary(QSaveFile& file);
    // Writes up to size bytes at the file's position, like write(2): the
    // number of bytes written, or -1.
    virtual long long WriteSome(QFileDevice& file, const char* data, long long size);

private:
    bool WriteAll(QFileDevice& file, std::string_view bytes);
    bool RewriteInPlace(const std::string& path, std::string_view bytes);
    bool Fail(int error);

    int m_error = 0;
};
