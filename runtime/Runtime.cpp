#include "runtime/Runtime.h"

#include "runtime/ConsoleEvents.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace rt {

// ---------------------------------------------------------------------------------------
// Message texts

namespace {

constexpr std::size_t kMaxMessageLength = 393;
constexpr std::string_view kUnknownFile = "\"Unknown\"";

void appendNumber(std::string& out, const MessageArg& arg, bool hex)
{
    if (const auto* n = std::get_if<long>(&arg)) {
        char buf[32];
        if (hex)
            std::snprintf(buf, sizeof buf, "%lx", static_cast<unsigned long>(*n));
        else
            std::snprintf(buf, sizeof buf, "%ld", *n);
        out += buf;
    } else {
        out += std::get<std::string>(arg);
    }
}

std::string_view severityPrefix(Severity s)
{
    switch (s) {
    case Severity::Info: return "rtxrtl: info";
    case Severity::Error: return "rtxrtl: error";
    case Severity::Severe: return "rtxrtl: severe";
    case Severity::Success: break;
    }
    return RuntimeTag;
}

} // namespace

std::string formatTemplate(std::string_view text, std::span<const MessageArg> args)
{
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < text.size() && out.size() < kMaxMessageLength; ++i) {
        if (text[i] != '%' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        // Recognised conversions: %% %d %i %s %ld %li %lx. Anything else is copied as it is.
        std::size_t j = i + 1;
        bool isLong = false;
        if (text[j] == 'l' && j + 1 < text.size()) {
            isLong = true;
            ++j;
        }
        const char conv = text[j];
        const bool known =
            (conv == '%' && !isLong) || conv == 'd' || conv == 'i' || conv == 'x' || (conv == 's' && !isLong);
        if (!known || (conv == 'x' && !isLong)) {
            out += text[i];
            continue;
        }
        if (conv == '%') {
            out += '%';
            i = j;
            continue;
        }
        if (next >= args.size()) {
            // A missing argument leaves its placeholder in view rather than reading garbage.
            out.append(text.substr(i, j - i + 1));
        } else if (conv == 's') {
            const MessageArg& arg = args[next++];
            if (const auto* s = std::get_if<std::string>(&arg))
                out += *s;
            else
                appendNumber(out, arg, false);
        } else {
            appendNumber(out, args[next++], conv == 'x');
        }
        i = j;
    }
    if (out.size() > kMaxMessageLength)
        out.resize(kMaxMessageLength);
    return out;
}

std::string composeReport(uint32_t id, std::span<const MessageArg> args)
{
    std::string_view pattern = messageTemplate(id);
    std::string text = args.empty() ? std::string(pattern) : formatTemplate(pattern, args);
    std::string report(severityPrefix(messageSeverity(id)));
    report += " (";
    report += std::to_string(messageNumber(id));
    report += "): ";
    report += text;
    return report;
}

// ---------------------------------------------------------------------------------------
// Reports and the end of the process

// When QZUN0 names a file, reports are appended to it instead of the inherited standard
// error. The file is opened before standard error is replaced, so a bad name leaves the
// reports on the original stream instead of losing them.
void redirectStandardErrorOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const char* path = std::getenv("QZUN0");
        if (path == nullptr || *path == '\0')
            return;
        const int fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
        if (fd < 0)
            return;
        std::fflush(stderr);
        if (fd != STDERR_FILENO) {
            ::dup2(fd, STDERR_FILENO);
            ::close(fd);
        }
    });
}

namespace {

} // namespace

void ConsoleReportSink::showReport(uint32_t, std::string_view text)
{
    redirectStandardErrorOnce();
    std::string line;
    line.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        line += text[i];
    }
    if (line.empty() || line.back() != '\n')
        line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

void ProcessExit::exitProcess(uint32_t status)
{
    // Units are closed by now. std::exit would run static destructors while the window
    // thread may still be using those objects, so flush stdio and leave at once.
    std::fflush(nullptr);
    std::_Exit(static_cast<int>(status));
}

void ProcessExit::exitInterrupted(uint32_t status)
{
    // Standard output may be a full pipe nobody reads (or another thread may be blocked
    // writing to it, holding its lock): flushing it could wait for ever. Reports are on
    // standard error, which holds nothing back. A file being written whole is left as it
    // was, without its temporary.
    platform::abandonWholeFileWrites();
    std::fflush(stderr);
    std::_Exit(static_cast<int>(status));
}

// ---------------------------------------------------------------------------------------
// Units

struct Units::Connection {
    enum class Kind {
        File,
        Window
    };
    Kind kind = Kind::File;
    std::string name;
    int handle = -1;
    WindowTextSink* sink = nullptr;
    OpenAction action = OpenAction::Write;
    BlankMode blank = BlankMode::Null;
};

namespace {

bool validUnit(int unit) { return unit >= 0 && unit < Units::MaxUnits; }

bool sameFileName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// Names arrive as blank-padded fixed-length texts: the trailing blanks are not part of them.
std::string_view trimmedName(std::string_view file)
{
    while (!file.empty() && file.back() == ' ')
        file.remove_suffix(1);
    return file;
}

} // namespace

int openErrorMessage(int err)
{
    switch (err) {
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY: return msg::PermissionDenied;
    case ENOENT:
    case ENOTDIR: return msg::FileNotFound;
    case ENAMETOOLONG:
    case EINVAL: return msg::FileNameSpecError;
    case ENOMEM: return msg::InsufficientMemory;
    default: return msg::OpenFailure;
    }
}

Units::Units(platform::FileSystem& fs) : m_fs(fs) {}

Units::~Units()
{
    for (auto& c : m_units) {
        if (c && c->kind == Connection::Kind::File)
            m_fs.close(c->handle);
    }
}

void Units::connectWindow(int unit, WindowTextSink* sink)
{
    if (!validUnit(unit))
        return;
    close(unit);
    if (sink == nullptr)
        return;
    auto c = std::make_unique<Connection>();
    c->kind = Connection::Kind::Window;
    c->sink = sink;
    c->action = OpenAction::Write;
    m_units[static_cast<std::size_t>(unit)] = std::move(c);
}

int Units::open(int unit, std::string_view file, OpenStatus status, OpenAction action, BlankMode blank)
{
    if (!validUnit(unit))
        return msg::InvalidUnitNumber;
    // A file that is created or replaced must be written: read-only access contradicts it.
    if ((status == OpenStatus::Replace || status == OpenStatus::New) && action == OpenAction::Read)
        return msg::InconsistentOpenClose;
    // Scratch files have no name and vanish on close; the program never asks for one.
    if (status == OpenStatus::Scratch)
        return msg::KeywordValueError;

    const std::string_view name = trimmedName(file);
    if (name.empty() || name.size() >= PATH_MAX || name.find('\0') != std::string_view::npos)
        return msg::FileNameSpecError;

    auto& slot = m_units[static_cast<std::size_t>(unit)];
    if (slot && slot->kind == Connection::Kind::File && sameFileName(slot->name, name)) {
        // The same connection again: it is kept (the file is not replaced a second time);
        // only the changeable properties take their new values.
        if (slot->action != action)
            return msg::InconsistentOpenClose;
        slot->blank = blank;
        return 0;
    }
    for (int other = 0; other < MaxUnits; ++other) {
        const auto& c = m_units[static_cast<std::size_t>(other)];
        if (other != unit && c && c->kind == Connection::Kind::File && sameFileName(c->name, name))
            return msg::UnitAlreadyOpen;
    }
    if (slot) {
        if (int r = close(unit))
            return r;
    }

    const std::string path(name);
    int handle = -1;
    int err = 0;
    switch (status) {
    case OpenStatus::Replace:
        err = m_fs.openForWrite(path, true, handle);
        if (err == 0) {
            if (m_fs.truncate(handle) != 0) {
                m_fs.close(handle);
                return msg::ErrorDuringWrite;
            }
        }
        break;
    case OpenStatus::New: {
        int probe = -1;
        if (m_fs.openForRead(path, probe) == 0) {
            m_fs.close(probe);
            return msg::CannotOverwrite;
        }
        err = m_fs.openForWrite(path, true, handle);
        break;
    }
    case OpenStatus::Old:
        err = action == OpenAction::Read ? m_fs.openForRead(path, handle) : m_fs.openForWrite(path, false, handle);
        break;
    case OpenStatus::Unknown:
    case OpenStatus::Scratch:
        err = action == OpenAction::Read ? m_fs.openForRead(path, handle) : m_fs.openForWrite(path, true, handle);
        break;
    }
    if (err != 0)
        return openErrorMessage(err);

    auto c = std::make_unique<Connection>();
    c->kind = Connection::Kind::File;
    c->name = path;
    c->handle = handle;
    c->action = action;
    c->blank = blank;
    slot = std::move(c);
    return 0;
}

int Units::writeRecord(int unit, std::string_view record)
{
    if (!validUnit(unit))
        return msg::InvalidUnitNumber;
    auto& slot = m_units[static_cast<std::size_t>(unit)];
    if (!slot) {
        if (int r = open(unit, defaultFileName(unit), OpenStatus::Replace, OpenAction::Write, BlankMode::Null))
            return r;
    }
    if (slot->action == OpenAction::Read)
        return msg::WriteToReadOnly;
    std::string line;
    line.reserve(record.size() + 2);
    line += record;
    line += "\r\n";
    if (slot->kind == Connection::Kind::Window) {
        slot->sink->writeWindowText(unit, line);
        return 0;
    }
    if (m_fs.write(slot->handle, line.data(), line.size()) != 0)
        return msg::ErrorDuringWrite;
    return 0;
}

int Units::close(int unit)
{
    if (!validUnit(unit))
        return msg::InvalidUnitNumber;
    auto& slot = m_units[static_cast<std::size_t>(unit)];
    if (!slot)
        return 0;
    // Records are written whole, so nothing is pending: closing releases the connection.
    std::unique_ptr<Connection> c = std::move(slot);
    if (c->kind == Connection::Kind::File && m_fs.close(c->handle) != 0)
        return msg::CloseError;
    return 0;
}

int Units::closeAll()
{
    int first = 0;
    for (int unit = 0; unit < MaxUnits; ++unit) {
        const int r = close(unit);
        if (r != 0 && first == 0)
            first = r;
    }
    return first;
}

bool Units::isConnected(int unit) const
{
    return validUnit(unit) && m_units[static_cast<std::size_t>(unit)] != nullptr;
}

std::string Units::fileName(int unit) const
{
    if (!isConnected(unit))
        return {};
    return m_units[static_cast<std::size_t>(unit)]->name;
}

BlankMode Units::blankMode(int unit) const
{
    if (!isConnected(unit))
        return BlankMode::Null;
    return m_units[static_cast<std::size_t>(unit)]->blank;
}

std::string Units::defaultFileName(int unit)
{
    const std::string variable = "QZUN" + std::to_string(unit);
    if (const char* value = std::getenv(variable.c_str()); value != nullptr && *value != '\0')
        return value;
    return "qzun." + std::to_string(unit);
}

// ---------------------------------------------------------------------------------------
// The program's run-time

Runtime::Runtime(platform::FileSystem& fs, ReportSink& reports, ProgramEnd& end)
    : m_units(fs), m_reports(reports), m_end(end)
{
}

bool Runtime::interrupted()
{
    if (!m_interrupted.load())
        return false;
    m_end.exitProcess(m_endStatus.load());
    return true;
}

bool Runtime::unitConnected(int unit)
{
    std::lock_guard lock(m_io);
    return m_units.isConnected(unit);
}

bool Runtime::openUnit(int unit, std::string_view file, OpenStatus status, OpenAction action, BlankMode blank)
{
    std::lock_guard lock(m_io);
    if (interrupted())
        return false;
    if (int r = m_units.open(unit, file, status, action, blank)) {
        ioStatementError(unit, r, trimmedName(file));
        return false;
    }
    return true;
}

bool Runtime::writeList(int unit, std::initializer_list<Item> items)
{
    const auto records = listRecords(std::span<const Item>(items.begin(), items.size()));
    std::lock_guard lock(m_io);
    if (interrupted())
        return false;
    return writeRecords(unit, records);
}

bool Runtime::writeFormatted(int unit, const Format& format, std::initializer_list<Item> items)
{
    const auto records = formatRecords(format, std::span<const Item>(items.begin(), items.size()));
    std::lock_guard lock(m_io);
    if (interrupted())
        return false;
    if (!records) {
        ioStatementError(unit, msg::OutputConversionError);
        return false;
    }
    return writeRecords(unit, *records);
}

bool Runtime::writeRecords(int unit, std::span<const std::string> records)
{
    const bool wasConnected = m_units.isConnected(unit);
    for (const std::string& record : records) {
        if (int r = m_units.writeRecord(unit, record)) {
            // A failed first use names the default file the unit was to be connected to.
            std::string file = m_units.fileName(unit);
            if (file.empty() && !wasConnected && unit >= 0 && unit < Units::MaxUnits)
                file = Units::defaultFileName(unit);
            ioStatementError(unit, r, file);
            return false;
        }
    }
    return true;
}

void Runtime::ioStatementError(int unit, int number) { ioStatementError(unit, number, m_units.fileName(unit)); }

void Runtime::ioStatementError(int unit, int number, std::string_view file)
{
    // Window units receive whole records, so no partly written record needs ending before
    // the report appears.
    uint32_t id = idForNumber(static_cast<uint16_t>(number));
    if (id == 0 && number != 0)
        id = messageId(Severity::Severe, static_cast<uint16_t>(number));
    report_message(id,
                   {MessageArg{static_cast<long>(unit)},
                    MessageArg{file.empty() ? std::string(kUnknownFile) : std::string(file)}});
}

void Runtime::show(uint32_t id, std::span<const MessageArg> args)
{
    const std::string text = composeReport(id, args);
    m_reports.showReport(id, text);
}

void Runtime::report_message(uint32_t id, std::initializer_list<MessageArg> args)
{
    show(id, std::span<const MessageArg>(args.begin(), args.size()));
    if (messageSeverity(id) == Severity::Severe)
        endAfterSevere(id);
}

std::vector<Runtime::CloseFailure> Runtime::closeEveryUnit()
{
    std::lock_guard lock(m_io);
    std::vector<CloseFailure> failures;
    for (int unit = 0; unit < Units::MaxUnits; ++unit) {
        if (!m_units.isConnected(unit))
            continue;
        std::string file = m_units.fileName(unit);
        if (int r = m_units.close(unit))
            failures.push_back({unit, r, std::move(file)});
    }
    return failures;
}

namespace {

uint32_t closeFailureId(int number)
{
    const uint32_t id = idForNumber(static_cast<uint16_t>(number));
    return id != 0 ? id : messageId(Severity::Severe, static_cast<uint16_t>(number));
}

} // namespace

void Runtime::endAfterSevere(uint32_t id)
{
    // Already ending (a failure while the units close): leave at once, still with the
    // failure's status.
    if (!beginEnding(id)) {
        m_end.exitProcess(id);
        return;
    }
    for (const CloseFailure& f : closeEveryUnit()) {
        const MessageArg args[] = {static_cast<long>(f.unit), f.file.empty() ? std::string(kUnknownFile) : f.file};
        show(closeFailureId(f.number), args);
    }
    // For a developer: stop in the debugger at the failure (without one, the process ends on
    // the trap), or leave a core dump.
    if (std::getenv("RTX_GENERATE_DEBUG_EXCEPTION") && messageNumber(id) != msg::Noncontinuable)
        std::raise(SIGTRAP);
    for (const char* dumpFlag : {"RTX_DUMP_ON_ERROR", "RTX_CORE_DUMP"})
        if (const char* v = std::getenv(dumpFlag); v && (v[0] == 'Y' || v[0] == 'y'))
            std::abort();
    m_end.programEnded(1);
    m_end.exitProcess(id);
}

bool Runtime::beginEnding(uint32_t status)
{
    if (m_ending.exchange(true))
        return false;
    m_endStatus = status;
    return true;
}

void Runtime::request_stop()
{
    if (!beginEnding(0)) {
        m_end.exitProcess(m_endStatus.load());
        return;
    }
    // A unit that fails to close may have lost output: that end is not reported to the
    // shell as a success.
    uint32_t failure = 0;
    for (const CloseFailure& f : closeEveryUnit()) {
        const uint32_t id = closeFailureId(f.number);
        const MessageArg args[] = {static_cast<long>(f.unit), f.file.empty() ? std::string(kUnknownFile) : f.file};
        show(id, args);
        if (failure == 0 && messageSeverity(id) == Severity::Severe)
            failure = id;
    }
    m_endStatus = failure;
    m_end.programEnded(failure == 0 ? 0 : 1);
    m_end.exitProcess(failure);
}

void Runtime::end_program_thread()
{
    // A program that returns after a console event (its dialog ended with the frame) ends with
    // the event's status, not as a normal return: its units are closed already.
    {
        std::lock_guard lock(m_io);
        if (interrupted())
            return;
    }
    for (const CloseFailure& f : closeEveryUnit()) {
        const uint32_t id = closeFailureId(f.number);
        report_message(
            id,
            {MessageArg{static_cast<long>(f.unit)}, MessageArg{f.file.empty() ? std::string(kUnknownFile) : f.file}});
        if (messageSeverity(id) == Severity::Severe)
            return;
    }
}

void Runtime::consoleEvent(int signal)
{
    const auto status = static_cast<uint32_t>(consoleEventStatus(signal));
    if (!beginEnding(status)) {
        m_end.exitInterrupted(m_endStatus.load());
        return;
    }
    report_message(idForNumber(msg::AbortingDueToEvent), {std::string(consoleEventName(signal))});
    // The program's thread goes on until its next I/O statement, which then stops it. A
    // statement blocked where it cannot be waited for (paused, or writing to a pipe nobody
    // reads) keeps its unit: the process exit releases it, and records are written whole.
    // Tried for two seconds rather than waited for with a deadline: the C library's timed
    // lock is not seen by the thread checker, which then takes the unlock for a fault.
    std::unique_lock lock(m_io, std::defer_lock);
    for (int attempt = 0; attempt < 200 && !lock.try_lock(); ++attempt)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    m_interrupted = true;
    if (lock.owns_lock()) {
        for (const CloseFailure& f : closeEveryUnit()) {
            const MessageArg args[] = {static_cast<long>(f.unit), f.file.empty() ? std::string(kUnknownFile) : f.file};
            show(closeFailureId(f.number), args);
        }
        lock.unlock();
    }
    m_end.programEnded(static_cast<int>(status));
    m_end.exitInterrupted(status);
}

} // namespace rt
