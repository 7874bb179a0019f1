#include "subprocess.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace halvo::cli::test {
namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Each child writes its output into files of the test's own, so that no pipe
// can fill up and stall it.
fs::path CaptureFolder() {
#ifdef _WIN32
    const auto id = std::to_string(GetCurrentProcessId());
#else
    const auto id = std::to_string(getpid());
#endif
    const fs::path dir = fs::temp_directory_path() / ("halvo-cli-capture-" + id);
    fs::create_directories(dir);
    return dir;
}

#ifdef _WIN32
class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (h_ != INVALID_HANDLE_VALUE && h_ != nullptr) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

HANDLE CreateInheritable(const fs::path& file, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    return CreateFileW(file.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The quoting the C run-time's argument parser undoes.
std::wstring Quote(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out.push_back(c);
    }
    out.append(backslashes * 2, L'\\');
    out.push_back(L'"');
    return out;
}
#endif

}  // namespace

#ifdef _WIN32
fs::path ProgramPath() {
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (n == 0 || n == MAX_PATH) throw std::runtime_error("cannot find the test program's own path");
    return fs::path(self).parent_path() / L"halvo-set.exe";
}

ProgramRun RunProgram(const std::vector<std::string>& args, const RunOptions& options) {
    const fs::path capture = CaptureFolder();
    const fs::path out_file = options.stdout_to.value_or(capture / "out");
    const fs::path err_file = capture / "err";
    ProgramRun result;
    {
        Handle in(CreateInheritable(L"NUL", GENERIC_READ, OPEN_EXISTING));
        Handle out(CreateInheritable(out_file, GENERIC_WRITE, CREATE_ALWAYS));
        Handle err(CreateInheritable(err_file, GENERIC_WRITE, CREATE_ALWAYS));
        if (out.get() == INVALID_HANDLE_VALUE || err.get() == INVALID_HANDLE_VALUE) {
            throw std::runtime_error("cannot create the capture files");
        }
        const fs::path program = ProgramPath();
        std::wstring command = Quote(program.wstring());
        for (const std::string& a : args) command += L" " + Quote(fs::path(a).wstring());

        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = in.get();
        si.hStdOutput = out.get();
        si.hStdError = err.get();
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                            options.workdir.c_str(), &si, &pi)) {
            throw std::runtime_error("cannot start halvo-set.exe");
        }
        Handle process(pi.hProcess);
        Handle thread(pi.hThread);
        WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD code = 0;
        result.ended = std::chrono::system_clock::now();
        GetExitCodeProcess(pi.hProcess, &code);
        result.status = static_cast<int>(code);
    }
    if (!options.stdout_to) result.out = Slurp(out_file);
    result.err = Slurp(err_file);
    std::error_code ec;
    fs::remove_all(capture, ec);
    return result;
}
#else
fs::path ProgramPath() { return HALVO_SET_PROGRAM; }

ProgramRun RunProgram(const std::vector<std::string>& args, const RunOptions& options) {
    const fs::path capture = CaptureFolder();
    const std::string out_file = options.stdout_to.value_or(capture / "out").string();
    const std::string err_file = (capture / "err").string();
    const std::string program = ProgramPath().string();
    const std::string workdir = options.workdir.string();

    // Everything the child needs is prepared before the fork.
    std::vector<std::string> argv_text = {program};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argv_text) argv.push_back(a.data());
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int out = ::open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 || chdir(workdir.c_str()) != 0) _exit(125);
        if (options.file_size_limit) {
            // An ignored SIGXFSZ stays ignored across exec, so a write past
            // the limit fails with EFBIG instead of killing the child.
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{};
            getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = static_cast<rlim_t>(*options.file_size_limit);
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(125);
        }
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int wait_status = 0;
    bool ended = false;
    std::optional<std::chrono::steady_clock::time_point> interrupted;
    if (options.interrupt_once_err_has) {
        // Polls the child's standard error, as a person watches the countdown before pressing Ctrl-C.
        while (!ended && !interrupted) {
            const pid_t done = waitpid(pid, &wait_status, WNOHANG);
            if (done < 0 && errno != EINTR) throw std::runtime_error("waitpid failed");
            ended = done == pid;
            if (!ended && Slurp(err_file).find(*options.interrupt_once_err_has) != std::string::npos) {
                interrupted = std::chrono::steady_clock::now();
                kill(pid, SIGINT);
            } else if (!ended) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
    }
    while (!ended && waitpid(pid, &wait_status, 0) < 0) {
        if (errno != EINTR) throw std::runtime_error("waitpid failed");
    }
    ProgramRun result;
    result.ended = std::chrono::system_clock::now();
    if (interrupted) result.after_interrupt = std::chrono::steady_clock::now() - *interrupted;
    result.signalled = !WIFEXITED(wait_status);
    result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
    if (!options.stdout_to) result.out = Slurp(out_file);
    result.err = Slurp(err_file);
    std::error_code ec;
    fs::remove_all(capture, ec);
    return result;
}
#endif

}  // namespace halvo::cli::test
