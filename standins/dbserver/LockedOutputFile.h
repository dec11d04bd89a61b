// An output file of a stand-in program, created (emptied) at once and held "in use" through
// an advisory lock while the program writes it, as the outside programs hold theirs.
#pragma once

#include <string>
#include <string_view>

class LockedOutputFile {
public:
    // Opens the Windows path for writing (truncating, or appending when append is set) and
    // locks it. Raises RIS_E_CANT_OPEN_FILE when it cannot be created, and, before opening it,
    // when it stands as no file a client could write (RefuseOddOutput, naming it by its role).
    explicit LockedOutputFile(const std::string& winPath, bool append = false,
                              const std::string& role = "output file");
    ~LockedOutputFile();
    LockedOutputFile(const LockedOutputFile&) = delete;
    LockedOutputFile& operator=(const LockedOutputFile&) = delete;

    void Write(std::string_view text);
    // Flushes, unlocks and closes; later writes are lost.
    void Close();
    const std::string& WinPath() const { return winPath_; }

private:
    std::string winPath_;
    int fd_ = -1;
};

// What a file (Windows path) is when it is no regular file ("a folder", "a character device",
// "a FIFO", ...); empty for a regular file and for a path where nothing stands. A reader of such
// a file would wait for ever or read without end, and an empty answer would hide what it is.
std::string NonRegularFileKind(const std::string& winPath);

// Raises RIS_E_CANT_OPEN_FILE naming a file of a command line (Windows path) by its role when
// its name names no place of the environment: a relative name while the current folder lies on
// no drive or share of it. Every client asks this of each file it is given, before any other
// question of it.
void RefuseNoPlace(const std::string& file, const std::string& role);

// Raises RIS_E_CANT_OPEN_FILE naming the output file (Windows path) of that role and what it is
// when it names no place (RefuseNoPlace), when it is a read-only file (its mode bits), or when it
// stands and is no regular file a client could write and leave: a FIFO or a socket (whose
// opening waits for ever for a reader), a folder, a block device. A character device (a
// terminal, /dev/null) and the program's own standard output or error take an output as they
// are, and stay allowed. LockedOutputFile asks this before it opens its file.
void RefuseOddOutput(const std::string& output, const std::string& role);

// The whole content of an input text file given on a command line (Windows path); raises
// RIS_E_CANT_OPEN_FILE when it names no place (RefuseNoPlace), cannot be read or is no regular
// file, and RIS_E_BAD_TEXT_FILE as CheckClientText does.
std::string ReadClientInputFile(const std::string& winPath);
// Raises RIS_E_BAD_TEXT_FILE naming the file when the text holds a NUL byte: UTF-16 text (the
// clients read ANSI text), or a NUL that would end a statement early and run its first part.
void CheckClientText(const std::string& text, const std::string& fileName);

// Raises RIS_E_SAME_FILE when the output file (Windows path) is the other file, an input or
// another output of the same run: the same existing file under any name (links, letter case),
// or the same place when neither exists yet. Called before any output is opened, so that an
// input is never emptied before it is read and one run never waits on its own lock. A name of
// no place (either) is refused first as RefuseNoPlace refuses it.
void RefuseOutputOnto(const std::string& output, const std::string& outputRole, const std::string& other,
                      const std::string& otherRole);

// Writes the text whole to the program's standard output (fd 1) or standard error (fd 2), as an
// output file is written: through the platform's write check, every byte or an error. Returns
// why it could not ("No space left on device"), empty when the text was written whole. A client
// whose answer is cut short ends with an error, so that no half answer is taken for a whole one.
std::string WriteStandardStream(int fd, std::string_view text);
// Ends a RIS client: writes its answer to the standard output and returns rc. When the answer
// cannot be written whole, the standard error gets a RIS error block that names the failure,
// followed by the answer itself (which says what the run did), and the client ends with 1.
int AnswerOnConsole(const std::string& program, const std::string& answer, int rc);
