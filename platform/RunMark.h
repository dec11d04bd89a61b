// The mark of a change under way on one object (a schema, a project, an environment root, a
// dump): a file of the stand-in environment that names the program running the change and what
// it does, held by an advisory lock while that program lives. A second program finds the mark
// held and is refused by name; a program that dies lets go of the lock with its process but
// leaves the file, so that the next run finds what the dead one was doing.
//
// Marks play the part of Windows' machine-wide named objects: every program of one environment
// sees them (<root>/marks), and no program of another environment does.
#pragma once

#include "platform/AppError.h"

#include <string>
#include <utility>
#include <vector>

class RunMark {
public:
    // What a mark says, as "name=value" lines in the order given. Every mark also says who
    // runs it: "program", "process", "computer" and "started" (yyyy-mm-dd hh:nn:ss).
    using Fields = std::vector<std::pair<std::string, std::string>>;

    enum class State {
        Free, // no mark
        Held, // a running program holds it
        Left, // a program that ended without taking it out left it: a dead run's
    };
    // A mark file that is no mark (a symbolic link, no regular file, empty, half written, or a
    // text no program of this system wrote) is seen as Held, with the one field "damaged" that
    // names the file and says how it goes: nobody can tell what it stands for, so no change
    // goes on over it and nothing removes it but the user.
    struct Seen {
        State state = State::Free;
        Fields fields; // what the mark says (empty when Free)
    };

    // Takes the mark of object ("schema dd_demo"; letter case does not count), writing fields.
    // Never waits: when another running program holds it, held() is false and Holder() says who.
    // A mark a dead run left is taken over; Left() then holds what it said, for the caller to
    // name or mend. Throws AppError naming the marks folder and why when the mark cannot be
    // written there (no mark is then taken, and one that stood stays), and, naming the
    // file and how it goes, when the mark file is no mark (see Seen). The mark file is never
    // followed through a link, and each text of it is written whole under another name, locked,
    // and renamed into place: the name holds a whole text at every moment, locked while its
    // program lives.
    RunMark(const std::string& object, const Fields& fields);
    // Takes the mark out (as Release) unless Keep was called.
    ~RunMark();
    RunMark(const RunMark&) = delete;
    RunMark& operator=(const RunMark&) = delete;

    bool held() const { return fd_ >= 0; }
    // When not held: the fields of the program that holds it.
    const Fields& Holder() const { return other_; }
    // When held: what a dead run's mark of this object said before this one took it over
    // (empty when there was none).
    const Fields& Left() const { return left_; }

    // Rewrites the mark's fields (who runs it is kept). Throws AppError when it cannot.
    void Update(const Fields& fields);
    // Removes the mark: the change is over and its look has spoken.
    void Release();
    // Lets go of the lock but leaves the mark standing, as a dead run would: for a change whose
    // outcome is not known, so that the next run still finds it.
    void Keep();

    // What stands under the mark of object now, without taking it.
    static Seen Look(const std::string& object);
    // The marks whose object begins with prefix ("load "), with their objects, in name order.
    static std::vector<std::pair<std::string, Seen>> List(const std::string& prefix);
    // Removes a mark a dead run left, once it has been named or mended. False when it is held
    // by a running program (it stays), when it is no mark (it stays for the user) or when it
    // cannot be removed.
    static bool RemoveLeft(const std::string& object);

    // The mark of object that this very program holds (a change of its own, or a record it wrote
    // ahead of its steps); nullptr when it holds none. A mark seen Held may be this program's own:
    // it is no change of another program under way.
    static const RunMark* HeldHere(const std::string& object);
    // Why the mark of object could not be written, naming the folder or the file and what failed,
    // for the error e its taking or rewriting threw: "the marks folder '...' is a file, not a
    // folder, so no mark can be written in it", "the marks folder '...' cannot be made
    // (Permission denied)", "the mark file '...' could not be written (Disk full)". An error that
    // names its mark file itself (a file there that is no mark) is given as it is.
    static std::string WriteFailureText(const std::string& object, const AppError& e);

    // Who this program is, as every mark says it: "program", "process", "computer" and "started"
    // (now). A record of a change kept beside its mark names its writer with them.
    static Fields WhoFields();
    // The environment's marks folder (host path): records that belong with the marks live there.
    static std::string Folder();

    // The value of name in fields; empty when absent.
    static std::string Field(const Fields& fields, const std::string& name);
    // "process 1234 (tarnwick) on PC1, started 2026-12-07 16:41:02": who holds or left a mark.
    static std::string WhoText(const Fields& fields);
    // The outside program this program now waits for (its process id), written into every mark
    // it holds, and its end: a mark whose program died while such a client runs stays held
    // until the client ends too, so that no later run looks at work the client has not finished
    // (or undoes it under the client's hands). Never throws.
    static void ClientStarted(long pid);
    static void ClientEnded();

    // "<what> (<WhoText>)": the change a mark stands for, by its field "what", and who runs it;
    // for a mark file that is no mark, "perhaps a change (<what the file is, how it goes>)", since
    // no program can tell whether one runs.
    // A refusal names the running change with it: "... is refused: " + RunningText(Holder()).
    static std::string RunningText(const Fields& fields);

private:
    std::string text() const;
    void rewrite();

    std::string object_;
    std::string path_;
    int fd_ = -1;
    Fields own_;
    Fields other_;
    Fields left_;
};
