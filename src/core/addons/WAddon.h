#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <sys/types.h>

#include "text/WRange.h"

enum WAddonType : int32_t {
    WShellScriptType = 1,
    WAppleScriptType = 2,
    WApplicationType = 3,
    WOriginalBinaryType = 4,
    WUndefinedScriptType = 5,
};

// What the document does with an add-on's output.
enum WReplaceType : int32_t {
    WReplaceSelection = 1,
    WReplaceAll = 2,
    WNoTouch = 3,
};

// The outcome of one run.
struct WAddonResult {
    // The script's output with CR line ends; nothing when there is none to use.
    std::optional<std::u16string> text;
    WReplaceType type = WNoTouch;
    // Whether the run said what the output is for; when not, the caller's kind stands.
    bool typeGiven = false;
    // Why the text stays as it is, in words for the user; empty when all went well.
    std::string message;

    // The text to put into the document, or null when the document stays as it is.
    const std::u16string* replacement() const
    {
        return (text && typeGiven && (type == WReplaceSelection || type == WReplaceAll)) ? &*text : nullptr;
    }
};

// One run of a shell-script add-on, begun by WAddon::start. The script runs
// as a child process while the caller goes on; the caller polls until the run
// has finished, or stops it. Runs of other kinds are finished from the start.
class WAddonRun {
public:
    ~WAddonRun();  // stops a script still running and removes the temporary files

    WAddonRun(const WAddonRun&) = delete;
    WAddonRun& operator=(const WAddonRun&) = delete;

    bool isFinished() const { return mFinished; }
    // Collects what the script has written and notices its end, waiting up to
    // timeoutMs for either (0: not at all, -1: until the script ends). True once finished.
    bool poll(int timeoutMs = 0);
    // Ends the script and whatever it started. Nothing of its output is used.
    void stop();
    // The outcome; meaningful once finished.
    const WAddonResult& result() const { return mResult; }
    // The pipe carrying the script's output, for an event loop to watch; -1 when finished.
    int outputDescriptor() const { return mOutput.descriptor; }

private:
    friend class WAddon;
    WAddonRun() = default;

    // One of the script's output streams, read without blocking.
    struct Pipe {
        int descriptor = -1;
        bool closed = false;
        std::vector<uint8_t> bytes;

        // Reads what is there. Past `limit` bytes, keepTail keeps the last
        // `limit` bytes; otherwise reading stops and false is answered.
        bool readAvailable(size_t limit, bool keepTail);
        void close();
    };

    void finish(int status);
    void finishWithMessage(std::string message);
    std::string failureMessage(int status) const;
    void removeTemporaryFiles();

    pid_t mPid = -1;
    std::string mName;  // the add-on's file name, for messages
    Pipe mOutput, mErrors;
    bool mFinished = false;
    std::filesystem::path mSelectionFile, mWholeFile, mSettingFile;
    WAddonResult mResult;
};

// An add-on file and how it runs. Shell-script add-ons (".rb", ".pl", ".php",
// ".sh") get the selection and the whole text through temporary files named in
// their environment and answer on their standard output; application add-ons
// (".desktop" files, executables without an extension) are started and left
// alone. Nothing ever goes through a shell.
class WAddon {
public:
    WAddon() = default;  // undefined, no source
    explicit WAddon(const std::filesystem::path& file);

    static std::unique_ptr<WAddon> addon() { return std::make_unique<WAddon>(); }
    static std::unique_ptr<WAddon> addonWithContentsOfFile(const std::filesystem::path& file)
    {
        return std::make_unique<WAddon>(file);
    }

    bool isValid() const { return mAddonType != WUndefinedScriptType && !mSource.empty(); }
    int32_t addonType() const { return mAddonType; }
    void setAddonType(int32_t type) { mAddonType = type; }
    // The file's path for scripts and applications, the script text for AppleScript.
    const std::string& source() const { return mSource; }
    void setSource(std::string source) { mSource = std::move(source); }

    // Begins a run on the text; the caller polls the answer until it has finished.
    std::unique_ptr<WAddonRun> start(std::u16string_view text, WRange range,
                                     const std::optional<std::filesystem::path>& documentPath) const;
    // Runs and waits. The answer is the output (CR line ends) or nothing; the
    // kind is set when a pointer is given and the run says what to do.
    std::optional<std::u16string> runAddonFor(std::u16string_view text, WRange range, WReplaceType* type,
                                              const std::optional<std::filesystem::path>& documentPath) const;

    // A new "/tmp/wexel-N.txt" holding the text in UTF-8 with LF line ends,
    // made afresh (never through an existing file or link), readable by the user only.
    static std::optional<std::filesystem::path> makeTmpFile(std::u16string_view text);
    // Where the temporary files go instead of /tmp (tests running side by side
    // each take a folder of their own); empty goes back to /tmp.
    static void setTemporaryFolder(std::filesystem::path folder);
    // The UTF-8 text of a temporary file the script may have rewritten; nothing
    // unless it is still a regular file (not a link, FIFO or folder) of sensible size.
    static std::optional<std::u16string> readTmpFile(const std::filesystem::path& path);
    static void removeTmpFile(const std::filesystem::path& path);
    // What a setting file's text asks of the output ("FUNC=INSERT", "FUNC=REPLACEALL",
    // "FUNC=NOTOUCH" at its start); nothing for anything else.
    static std::optional<WReplaceType> replaceTypeOfSetting(std::u16string_view setting);

    // The program and arguments of a desktop entry's Exec line; empty when it has none.
    static std::vector<std::string> desktopEntryCommand(const std::filesystem::path& desktopFile);

private:
    bool launchApplication() const;

    int32_t mAddonType = WUndefinedScriptType;
    std::string mSource;
};
