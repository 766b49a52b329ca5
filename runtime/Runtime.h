#pragma once
// Run-time services: numbered units on files and windows, records, error reports and the
// ways the program ends.

#include "runtime/Catalogue.h"
#include "platform/FileSystem.h"
#include "runtime/Format.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace rt {

// The tag in front of every report.
inline constexpr std::string_view RuntimeTag = "rtxrtl";

// An argument of a catalogue template: a number (%d %i %ld %lx) or a text (%s).
using MessageArg = std::variant<long, std::string>;

// Formats a catalogue template with printf-style placeholders %d %i %s %ld %lx; at most
// 393 bytes of output.
std::string formatTemplate(std::string_view text, std::span<const MessageArg> args);

// The whole report text for id: "rtxrtl: severe (9): permission ... posit.txt\r\n"
// (the tag alone for the success class).
std::string composeReport(uint32_t id, std::span<const MessageArg> args);

// Where reports go: standard error on the console, a message box in the window runtime.
class ReportSink {
public:
    virtual ~ReportSink() = default;
    virtual void showReport(uint32_t id, std::string_view text) = 0;
};

// On its first call, when QZUN0 names a file that can be opened, standard error is appended
// to that file from then on.
void redirectStandardErrorOnce();

// Writes reports to standard error, CR LF turned into the console's line end, and flushes.
// On first use, when QZUN0 names a file that can be opened, standard error is appended to it.
class ConsoleReportSink final : public ReportSink {
public:
    void showReport(uint32_t id, std::string_view text) override;
};

// How the program ends: the window runtime is told the exit code, then the process exits.
// Tests record the calls instead; exitProcess may then return.
class ProgramEnd {
public:
    virtual ~ProgramEnd() = default;
    virtual void programEnded(int code) = 0;
    virtual void exitProcess(uint32_t status) = 0;
    // Exit after a console event: the run was interrupted, so output still buffered for a
    // reader that may never take it is not waited for.
    virtual void exitInterrupted(uint32_t status) { exitProcess(status); }
};

// Tells nobody and exits the process (the low 8 bits of status reach the shell).
class ProcessExit final : public ProgramEnd {
public:
    void programEnded(int) override {}
    [[noreturn]] void exitProcess(uint32_t status) override;
    [[noreturn]] void exitInterrupted(uint32_t status) override;
};

// Where records of a unit connected to a window go: the window runtime's write_window_text.
class WindowTextSink {
public:
    virtual ~WindowTextSink() = default;
    // text is one record with its CR LF.
    virtual void writeWindowText(int unit, std::string_view text) = 0;
};

enum class OpenStatus {
    Old,
    New,
    Scratch,
    Replace,
    Unknown
};
enum class OpenAction {
    Read,
    Write,
    ReadWrite
};
enum class BlankMode {
    Null,
    Zero
};

// The catalogue message number for a system error met while opening a file: 9 (permission),
// 29 (not found), 43 (bad name), 41 (out of memory), otherwise 30 (open failure).
int openErrorMessage(int err);

// The unit table: connections of unit numbers to files and windows.
class Units {
public:
    static constexpr int MaxUnits = 100; // units 0..99

    explicit Units(platform::FileSystem& fs);
    ~Units();
    Units(const Units&) = delete;
    Units& operator=(const Units&) = delete;

    // Connects unit to the window sink (units 0, 5 and 6 before the program starts).
    void connectWindow(int unit, WindowTextSink* sink);

    // Opens a unit on a file. Returns 0 or the failing message number; reports nothing.
    // Trailing blanks of file are not part of the name; names compare without regard to case.
    // The same file again keeps the connection (only the blank mode changes); another file
    // closes the old connection first; a file connected to another unit is refused (34).
    int open(int unit, std::string_view file, OpenStatus status, OpenAction action, BlankMode blank);

    // Writes one record (no CR LF) to the unit, connecting a unit used without an open
    // request to QZUN<n> or qzun.<n>. Returns 0 or the failing message number.
    int writeRecord(int unit, std::string_view record);

    // Closes one unit (pending output written). Returns 0 or the failing message number.
    int close(int unit);

    // Closes every unit; returns the first failure's message number, else 0.
    int closeAll();

    bool isConnected(int unit) const;
    // The connected file's name as given, "" for a window or unconnected unit.
    std::string fileName(int unit) const;
    BlankMode blankMode(int unit) const;
    // The file a unit used without an open request is connected to: the value of the
    // environment variable QZUN<unit> when it is defined and not empty, else "qzun.<unit>".
    static std::string defaultFileName(int unit);

private:
    struct Connection;
    platform::FileSystem& m_fs;
    std::array<std::unique_ptr<Connection>, MaxUnits> m_units;
};

// The run-time of one program: its units, where its reports go and how it ends.
class Runtime {
public:
    Runtime(platform::FileSystem& fs, ReportSink& reports, ProgramEnd& end);

    Units& units() { return m_units; }

    // I/O statements without a status: a failure is reported with the unit and file name
    // ("\"Unknown\"" without one), and a severe one ends the program. Return false after a
    // failure (reached only when the program end returns, as in tests).
    bool openUnit(int unit, std::string_view file, OpenStatus status, OpenAction action, BlankMode blank);
    bool writeList(int unit, std::initializer_list<Item> items);
    bool writeFormatted(int unit, const Format& format, std::initializer_list<Item> items);

    // Formats catalogue entry id and reports it; a severe one closes all units, tells the
    // window runtime code 1 and exits with the id as status.
    void report_message(uint32_t id, std::initializer_list<MessageArg> args = {});

    // The program's stop request without text or code: close all units, tell the window
    // runtime code 0, exit with status 0. A second request while ending exits at once.
    void request_stop();

    // The end routine after the main routine returns: every unit flushed and closed.
    void end_program_thread();

    // A console event (SIGINT control-C, SIGQUIT control-BREAK, SIGHUP and SIGTERM
    // window-CLOSE), on a thread other than the program's: message 200 naming the event, every
    // unit closed, the window runtime told, exit with 128 + signal. An I/O statement of the
    // program after that stops its thread (exitProcess). While the program is already ending,
    // exits at once with the status of that ending.
    void consoleEvent(int signal);

    // Whether unit is connected, asked safely while a console event may be closing the units.
    bool unitConnected(int unit);

private:
    struct CloseFailure {
        int unit;
        int number;
        std::string file;
    };

    void ioStatementError(int unit, int number);
    void ioStatementError(int unit, int number, std::string_view file);
    bool writeRecords(int unit, std::span<const std::string> records);
    void show(uint32_t id, std::span<const MessageArg> args);
    void endAfterSevere(uint32_t id);
    std::vector<CloseFailure> closeEveryUnit();

    // Starts the program's end with status; false when it is ending already.
    bool beginEnding(uint32_t status);
    // After a console event an I/O statement goes no further: its thread is stopped.
    bool interrupted();

    Units m_units;
    ReportSink& m_reports;
    ProgramEnd& m_end;
    // The program's I/O statements and the closing of the units take it; recursive because a
    // failing statement's severe report closes the units on the same thread.
    std::recursive_mutex m_io;
    std::atomic<bool> m_ending{false};
    std::atomic<uint32_t> m_endStatus{0};
    std::atomic<bool> m_interrupted{false};
};

} // namespace rt
