#include "addons/WAddon.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/WFileRead.h"
#include "platform/WLog.h"
#include "text/WEncoding.h"
#include "text/WStringUtils.h"

extern char** environ;

namespace {

constexpr int kTmpFileCount = 10000;
// Output beyond this is a runaway script, not text for a document.
constexpr size_t kMaxOutputBytes = size_t(512) << 20;
// A script or desktop entry read into memory is a few kilobytes.
constexpr size_t kLargestScriptFile = 16 * 1024 * 1024;
// A setting file says what to do with the output in a few bytes.
constexpr size_t kLargestSettingFile = 64 * 1024;
// Of the error output, the end is what tells why a script failed.
constexpr size_t kKeptErrorBytes = 16 * 1024;
constexpr size_t kShownErrorLines = 6;
constexpr size_t kShownErrorBytes = 2000;

// The last few lines of a script's error output, decoded whatever its bytes,
// and no longer than a message can sensibly show.
std::string lastLines(const std::vector<uint8_t>& bytes, size_t count, size_t maxBytes)
{
    std::string text = WStringUtils::toUtf8(WEncoding::decodeLeniently(bytes, WUTF8Encoding).text);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    size_t start = text.size();
    for (size_t lines = 0; start > 0 && lines < count;) {
        --start;
        if (text[start] == '\n' && ++lines == count) {
            ++start;
            break;
        }
    }
    if (text.size() - start > maxBytes) {
        start = text.size() - maxBytes;
        while (start < text.size() && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
            ++start;  // not inside a character
        return "\u2026" + text.substr(start);
    }
    return text.substr(start);
}

void log(std::string_view operation, std::string_view what)
{
    WLog::write("WAddon::" + std::string(operation) + " - " + std::string(what));
}

// The editor's environment with the given variables set or replaced; the
// editor's own environment is not touched.
std::vector<std::string> environmentWith(const std::vector<std::pair<std::string, std::string>>& variables)
{
    std::vector<std::string> result;
    for (char** entry = environ; entry && *entry; ++entry) {
        std::string_view text(*entry);
        std::string_view name = text.substr(0, text.find('='));
        bool replaced = std::any_of(variables.begin(), variables.end(),
                                    [&](const auto& variable) { return variable.first == name; });
        if (!replaced)
            result.emplace_back(text);
    }
    for (const auto& [name, value] : variables)
        result.push_back(name + "=" + value);
    return result;
}

std::vector<char*> pointersTo(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (std::string& each : strings)
        pointers.push_back(each.data());
    pointers.push_back(nullptr);
    return pointers;
}

struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;

    explicit SpawnSetup(short flags)
    {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
        sigset_t signals;
        sigemptyset(&signals);
        posix_spawnattr_setsigmask(&attributes, &signals);
        sigaddset(&signals, SIGPIPE);
        sigaddset(&signals, SIGINT);
        sigaddset(&signals, SIGTERM);
        sigaddset(&signals, SIGCHLD);
        posix_spawnattr_setsigdefault(&attributes, &signals);
        posix_spawnattr_setpgroup(&attributes, 0);
        posix_spawnattr_setflags(&attributes, static_cast<short>(flags | POSIX_SPAWN_SETSIGMASK |
                                                                 POSIX_SPAWN_SETSIGDEF));
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    }
    ~SpawnSetup()
    {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
};

// The child gets standard input, output and error only, none of the editor's
// other open files.
void closeOtherDescriptors(posix_spawn_file_actions_t& actions)
{
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#else
    (void)actions;  // descriptors opened with close-on-exec are all there is to rely on
#endif
}

// A program named without a folder, found along $PATH as a shell would find it.
std::optional<std::string> findProgram(const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return name;
    const char* path = std::getenv("PATH");
    std::string_view folders = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (!folders.empty()) {
        size_t colon = folders.find(':');
        std::string folder(folders.substr(0, colon));
        folders = colon == std::string_view::npos ? std::string_view() : folders.substr(colon + 1);
        std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return std::nullopt;
}

void sleepMilliseconds(int milliseconds)
{
    timespec interval{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    nanosleep(&interval, nullptr);
}

bool isExecutableFile(const std::filesystem::path& file)
{
    std::error_code error;
    return std::filesystem::is_regular_file(file, error) && access(file.c_str(), X_OK) == 0;
}

}  // namespace

// ---- classifying ----

WAddon::WAddon(const std::filesystem::path& file)
{
    mAddonType = 0;
    std::string extension = file.extension().string();
    if (extension == ".desktop" || (extension.empty() && isExecutableFile(file))) {
        mAddonType = WApplicationType;
        mSource = file.string();
    } else if (extension == ".applescript") {
        if (std::optional<std::string> text = WFileRead::regularFile(file, kLargestScriptFile)) {
            mAddonType = WAppleScriptType;
            std::replace(text->begin(), text->end(), '\n', '\r');
            mSource = std::move(*text);
        }
    } else if (extension == ".rb" || extension == ".pl" || extension == ".php" || extension == ".sh") {
        mAddonType = WShellScriptType;
        mSource = file.string();
    }
}

// ---- temporary files ----

namespace {
std::filesystem::path& temporaryFolder()
{
    static std::filesystem::path folder = "/tmp";
    return folder;
}
}  // namespace

void WAddon::setTemporaryFolder(std::filesystem::path folder)
{
    temporaryFolder() = folder.empty() ? std::filesystem::path("/tmp") : std::move(folder);
}

std::optional<std::filesystem::path> WAddon::makeTmpFile(std::u16string_view text)
{
    std::u16string lf = WStringUtils::replaceString(text, u"\r\n", u"\n");
    std::replace(lf.begin(), lf.end(), u'\r', u'\n');
    std::string bytes = WStringUtils::toUtf8(lf);

    for (int n = 0; n < kTmpFileCount; ++n) {
        const std::string path = (temporaryFolder() / ("wexel-" + std::to_string(n) + ".txt")).string();
        // O_EXCL with O_NOFOLLOW: whatever already sits at the name, a file or
        // a link planted by someone else, is passed over, never written through.
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            log("makeTmpFile", std::string("cannot create ") + path + ": " + std::strerror(errno));
            return std::nullopt;
        }
        size_t written = 0;
        while (written < bytes.size()) {
            ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            written += static_cast<size_t>(n);
        }
        bool ok = written == bytes.size();
        ok = close(fd) == 0 && ok;
        if (!ok) {
            log("makeTmpFile", "cannot write " + path);
            unlink(path.c_str());
            return std::nullopt;
        }
        return std::filesystem::path(path);
    }
    log("makeTmpFile", "all temporary file names are taken");
    return std::nullopt;
}

std::optional<std::u16string> WAddon::readTmpFile(const std::filesystem::path& path)
{
    // The script may have put anything at the name: a FIFO must not block the
    // window, a link must not lead elsewhere, a huge file is no setting.
    std::optional<std::string> bytes =
        WFileRead::regularFile(path, kLargestSettingFile, nullptr, WFileRead::Links::Refuse);
    if (!bytes)
        return std::nullopt;
    if (bytes->empty())
        return std::u16string();
    return WEncoding::decode(std::vector<uint8_t>(bytes->begin(), bytes->end()), WUTF8Encoding);
}

std::optional<WReplaceType> WAddon::replaceTypeOfSetting(std::u16string_view setting)
{
    if (WStringUtils::stringStartsWith(setting, u"FUNC=INSERT"))
        return WReplaceSelection;
    if (WStringUtils::stringStartsWith(setting, u"FUNC=REPLACEALL"))
        return WReplaceAll;
    if (WStringUtils::stringStartsWith(setting, u"FUNC=NOTOUCH"))
        return WNoTouch;
    return std::nullopt;
}

void WAddon::removeTmpFile(const std::filesystem::path& path)
{
    if (!path.empty())
        unlink(path.c_str());
}

// ---- running ----

std::optional<std::u16string> WAddon::runAddonFor(std::u16string_view text, WRange range, WReplaceType* type,
                                                  const std::optional<std::filesystem::path>& documentPath) const
{
    std::unique_ptr<WAddonRun> run = start(text, range, documentPath);
    while (!run->poll(-1)) {
    }
    const WAddonResult& result = run->result();
    if (type && result.typeGiven)
        *type = result.type;
    return result.text;
}

std::unique_ptr<WAddonRun> WAddon::start(std::u16string_view text, WRange range,
                                         const std::optional<std::filesystem::path>& documentPath) const
{
    std::unique_ptr<WAddonRun> run(new WAddonRun);
    run->mName = std::filesystem::path(mSource).filename().string();

    if (mAddonType == WApplicationType) {
        if (!launchApplication())
            run->finishWithMessage("The application add-on could not be started.");
        else
            run->mFinished = true;
        return run;
    }
    if (mAddonType == WAppleScriptType) {
        log("runAddonFor", "AppleScript add-ons have no runner on this desktop");
        run->finishWithMessage("AppleScript add-ons cannot run on this desktop; the text is unchanged.");
        run->mResult.typeGiven = true;
        return run;
    }
    if (mAddonType != WShellScriptType || mSource.empty()) {
        run->mFinished = true;
        return run;
    }

    uint32_t location = std::min<uint32_t>(range.location, static_cast<uint32_t>(text.size()));
    uint32_t length = std::min<uint32_t>(range.length, static_cast<uint32_t>(text.size()) - location);
    auto selection = makeTmpFile(text.substr(location, length));
    auto whole = selection ? makeTmpFile(text) : std::nullopt;
    auto setting = whole ? makeTmpFile(u"FUNC=INSERT") : std::nullopt;
    run->mSelectionFile = selection.value_or(std::filesystem::path());
    run->mWholeFile = whole.value_or(std::filesystem::path());
    run->mSettingFile = setting.value_or(std::filesystem::path());
    if (!setting) {
        run->finishWithMessage("The add-on could not get its temporary files in /tmp; it was not run.");
        return run;
    }

    std::vector<std::string> environment = environmentWith({
        {"TMPFILE", selection->string()},
        {"TMPFILE_PARTIAL", selection->string()},
        {"TMPFILE_WHOLE", whole->string()},
        {"TMPSETTING", setting->string()},
        {"DOCUMENT_PATH", documentPath ? documentPath->string() : std::string()},
    });
    std::vector<std::string> arguments{mSource};

    int output[2], errors[2];
    if (pipe2(output, O_CLOEXEC) != 0) {
        run->finishWithMessage(std::string("The add-on could not be started: ") + std::strerror(errno));
        return run;
    }
    if (pipe2(errors, O_CLOEXEC) != 0) {
        close(output[0]);
        close(output[1]);
        run->finishWithMessage(std::string("The add-on could not be started: ") + std::strerror(errno));
        return run;
    }
    SpawnSetup setup(POSIX_SPAWN_SETPGROUP);
    posix_spawn_file_actions_adddup2(&setup.actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&setup.actions, errors[1], STDERR_FILENO);
    closeOtherDescriptors(setup.actions);
    auto argv = pointersTo(arguments);
    auto envp = pointersTo(environment);
    int error = posix_spawn(&run->mPid, mSource.c_str(), &setup.actions, &setup.attributes, argv.data(), envp.data());
    close(output[1]);
    close(errors[1]);
    if (error != 0) {
        close(output[0]);
        close(errors[0]);
        run->mPid = -1;
        log("runAddonFor", "cannot start " + mSource + ": " + std::strerror(error));
        run->finishWithMessage("The add-on could not be started (" + std::string(std::strerror(error)) +
                               "). Add-ons must be executable and name their interpreter on the first line.");
        return run;
    }
    for (auto [pipe, descriptor] : {std::pair{&run->mOutput, output[0]}, std::pair{&run->mErrors, errors[0]}}) {
        pipe->descriptor = descriptor;
        fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) | O_NONBLOCK);
    }
    return run;
}

bool WAddon::launchApplication() const
{
    std::vector<std::string> arguments;
    std::filesystem::path file(mSource);
    if (file.extension() == ".desktop") {
        arguments = desktopEntryCommand(file);
        if (arguments.empty()) {
            log("runAddonFor", "no Exec line in " + mSource);
            return false;
        }
        auto program = findProgram(arguments.front());
        if (!program) {
            log("runAddonFor", "cannot find " + arguments.front());
            return false;
        }
        arguments.front() = *program;
    } else {
        arguments.push_back(mSource);
    }
    std::vector<std::string> environment = environmentWith({});
    SpawnSetup setup(POSIX_SPAWN_SETSID);
    closeOtherDescriptors(setup.actions);
    auto argv = pointersTo(arguments);
    auto envp = pointersTo(environment);
    pid_t pid = -1;
    int error = posix_spawn(&pid, arguments.front().c_str(), &setup.actions, &setup.attributes, argv.data(),
                            envp.data());
    if (error != 0) {
        log("runAddonFor", "cannot start " + arguments.front() + ": " + std::strerror(error));
        return false;
    }
    // The application lives on its own; a thread collects it when it ends, so
    // it never lingers as a zombie.
    std::thread([pid] {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

std::vector<std::string> WAddon::desktopEntryCommand(const std::filesystem::path& desktopFile)
{
    std::istringstream in(WFileRead::regularFile(desktopFile, kLargestScriptFile).value_or(std::string()));
    std::string line, exec, name;
    bool inMainGroup = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line.front() == '[') {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup)
            continue;
        if (line.rfind("Exec=", 0) == 0 && exec.empty())
            exec = line.substr(5);
        else if (line.rfind("Name=", 0) == 0 && name.empty())
            name = line.substr(5);
    }

    // Arguments are separated by blanks; double quotes group, and inside them a
    // backslash escapes the next character. Field codes stand for files and
    // URLs we do not pass, so they go; "%%" is a percent sign.
    std::vector<std::string> arguments;
    std::string current;
    bool inQuotes = false, started = false, onlyFieldCodes = true;
    auto endArgument = [&] {
        if (started && !(current.empty() && onlyFieldCodes))
            arguments.push_back(current);
        current.clear();
        started = false;
        onlyFieldCodes = true;
    };
    for (size_t i = 0; i < exec.size(); ++i) {
        char c = exec[i];
        if (inQuotes) {
            if (c == '"')
                inQuotes = false;
            else if (c == '\\' && i + 1 < exec.size())
                current += exec[++i], onlyFieldCodes = false;
            else
                current += c, onlyFieldCodes = false;
            continue;
        }
        if (c == ' ' || c == '\t') {
            endArgument();
            continue;
        }
        started = true;
        if (c == '"') {
            inQuotes = true;
            onlyFieldCodes = false;
        } else if (c == '%' && i + 1 < exec.size()) {
            char code = exec[++i];
            if (code == '%')
                current += '%', onlyFieldCodes = false;
            else if (code == 'c')
                current += name, onlyFieldCodes = false;
            else if (code == 'k')
                current += desktopFile.string(), onlyFieldCodes = false;
        } else {
            current += c;
            onlyFieldCodes = false;
        }
    }
    endArgument();
    return arguments;
}

// ---- a run ----

WAddonRun::~WAddonRun()
{
    if (!mFinished && mPid > 0)
        stop();
    mOutput.close();
    mErrors.close();
    removeTemporaryFiles();
}

bool WAddonRun::Pipe::readAvailable(size_t limit, bool keepTail)
{
    uint8_t buffer[65536];
    while (!closed && descriptor >= 0) {
        ssize_t n = read(descriptor, buffer, sizeof buffer);
        if (n > 0) {
            bytes.insert(bytes.end(), buffer, buffer + n);
            if (bytes.size() > limit) {
                if (!keepTail)
                    return false;
                bytes.erase(bytes.begin(), bytes.end() - static_cast<std::ptrdiff_t>(limit));
            }
        } else if (n == 0) {
            closed = true;
        } else if (errno != EINTR) {
            break;  // EAGAIN: nothing more for now
        }
    }
    return true;
}

void WAddonRun::Pipe::close()
{
    if (descriptor >= 0)
        ::close(descriptor);
    descriptor = -1;
    closed = true;
}

bool WAddonRun::poll(int timeoutMs)
{
    if (mFinished)
        return true;
    for (;;) {
        mErrors.readAvailable(kKeptErrorBytes, true);
        if (!mOutput.readAvailable(kMaxOutputBytes, false)) {
            stop();
            mResult.message = "The add-on wrote more than 512 MB and was stopped; the text is unchanged.";
            return true;
        }
        int status = 0;
        pid_t ended = waitpid(mPid, &status, WNOHANG);
        if (ended == mPid || (ended < 0 && errno == ECHILD)) {
            // Everything the script wrote before it ended is in the pipes now.
            mErrors.readAvailable(kKeptErrorBytes, true);
            if (!mOutput.readAvailable(kMaxOutputBytes, false)) {
                mPid = -1;
                finishWithMessage("The add-on wrote more than 512 MB; the text is unchanged.");
                return true;
            }
            mPid = -1;
            finish(ended < 0 ? 0 : status);
            return true;
        }
        if (timeoutMs == 0)
            return false;
        int wait = timeoutMs < 0 ? 50 : std::min(timeoutMs, 50);
        pollfd watched[2];
        nfds_t count = 0;
        for (const Pipe* pipe : {&mOutput, &mErrors})
            if (!pipe->closed && pipe->descriptor >= 0)
                watched[count++] = pollfd{pipe->descriptor, POLLIN, 0};
        if (count == 0)
            sleepMilliseconds(std::min(wait, 5));  // both closed: only the end is still to come
        else
            ::poll(watched, count, wait);
        if (timeoutMs > 0)
            timeoutMs = std::max(0, timeoutMs - wait);
    }
}

void WAddonRun::stop()
{
    if (mFinished)
        return;
    if (mPid > 0) {
        // The script and everything it started share its process group.
        kill(-mPid, SIGTERM);
        bool ended = false;
        for (int i = 0; i < 40 && !ended; ++i) {
            ended = waitpid(mPid, nullptr, WNOHANG) == mPid;
            if (!ended)
                sleepMilliseconds(5);
        }
        if (!ended) {
            kill(-mPid, SIGKILL);
            waitpid(mPid, nullptr, 0);
        }
        mPid = -1;
    }
    finishWithMessage("The add-on was stopped; the text is unchanged.");
}

std::string WAddonRun::failureMessage(int status) const
{
    std::string message = "The add-on \u201C" + mName + "\u201D ";
    if (WIFSIGNALED(status)) {
        const char* name = strsignal(WTERMSIG(status));
        message += "was ended by signal " + std::to_string(WTERMSIG(status)) + (name ? std::string(" (") + name + ")" : "");
    } else {
        message += "failed with exit status " + std::to_string(WEXITSTATUS(status));
    }
    message += "; the text is unchanged.";
    std::string errors = lastLines(mErrors.bytes, kShownErrorLines, kShownErrorBytes);
    if (!errors.empty())
        message += "\n\n" + errors;
    return message;
}

void WAddonRun::finish(int status)
{
    if (!(WIFEXITED(status) && WEXITSTATUS(status) == 0)) {
        // A script that failed may have written half an answer: none of it is used.
        WLog::write("WAddon::runAddonFor - the add-on ended with status " + std::to_string(status));
        finishWithMessage(failureMessage(status));
        return;
    }
    mFinished = true;
    // The setting file says what the output is for; the script may rewrite it.
    // Anything else there, or no file at all, leaves the caller's kind.
    if (auto setting = WAddon::readTmpFile(mSettingFile)) {
        if (auto type = WAddon::replaceTypeOfSetting(*setting)) {
            mResult.typeGiven = true;
            mResult.type = *type;
        }
    }
    removeTemporaryFiles();

    std::optional<std::u16string> text = mOutput.bytes.empty() ? std::optional<std::u16string>(std::u16string())
                                                               : WEncoding::decode(mOutput.bytes, WUTF8Encoding);
    if (!text) {
        WLog::write("WAddon::runAddonFor - the output is not valid UTF-8");
        if (mResult.typeGiven && mResult.type != WNoTouch)
            mResult.message = "The add-on's output is not valid UTF-8 text, so the document was left unchanged.";
        return;
    }
    // The document holds CR line ends only.
    mResult.text = WStringUtils::convertReturnsToCR(*text);
}

void WAddonRun::finishWithMessage(std::string message)
{
    mFinished = true;
    mResult = WAddonResult{};
    mResult.message = std::move(message);
    removeTemporaryFiles();
}

void WAddonRun::removeTemporaryFiles()
{
    for (auto* file : {&mSelectionFile, &mWholeFile, &mSettingFile}) {
        WAddon::removeTmpFile(*file);
        file->clear();
    }
}
