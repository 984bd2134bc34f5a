// quelm-sim as a separate program: the device on its first line, the link,
// control commands on standard input, and a clean end when the input ends.

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <climits>
#include <cstdio>
#include <filesystem>

#include <gtest/gtest.h>

#include "pty_client.h"

namespace quelm::sim::testing {
namespace {

// quelm-sim is built into the same folder as this test binary.
std::string simulatorProgram()
{
    char self[PATH_MAX] = {};
    const auto n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    return (std::filesystem::path(std::string(self, n > 0 ? static_cast<std::size_t>(n) : 0)).parent_path() /
            "quelm-sim")
        .string();
}

class SimProcess {
public:
    explicit SimProcess(const std::vector<std::string>& args)
    {
        int in[2];
        int out[2];
        if (pipe(in) != 0 || pipe(out) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(in[0], STDIN_FILENO);
            dup2(out[1], STDOUT_FILENO);
            ::close(in[1]);
            ::close(out[0]);
            std::vector<char*> argv;
            std::string prog = simulatorProgram();
            argv.push_back(prog.data());
            std::vector<std::string> copy = args;
            for (auto& a : copy)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(prog.c_str(), argv.data());
            _exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        toSim_ = in[1];
        fromSim_ = fdopen(out[0], "r");
    }
    ~SimProcess()
    {
        closeInput();
        if (pid_ > 0 && !waited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (fromSim_)
            fclose(fromSim_);
    }

    std::string readLine()
    {
        char buf[512] = {};
        if (!fromSim_ || !fgets(buf, sizeof buf, fromSim_))
            return {};
        std::string s(buf);
        if (!s.empty() && s.back() == '\n')
            s.pop_back();
        return s;
    }
    std::string command(const std::string& line)
    {
        const std::string l = line + "\n";
        EXPECT_EQ(::write(toSim_, l.data(), l.size()), ssize_t(l.size()));
        return readLine();
    }
    void closeInput()
    {
        if (toSim_ >= 0)
            ::close(toSim_);
        toSim_ = -1;
    }
    int exitStatus()
    {
        int status = -1;
        for (int i = 0; i < 200; ++i) {
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                waited_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(10ms);
        }
        return -2;  // still running
    }

private:
    pid_t pid_ = -1;
    int toSim_ = -1;
    FILE* fromSim_ = nullptr;
    bool waited_ = false;
};

TEST(SimulatorProgram, ServesTheDeviceAndTakesCommandsUntilItsInputEnds)
{
    const std::string link = ::testing::TempDir() + "quelm_sim_prog_" + std::to_string(::getpid());
    SimProcess sim({"--link", link, "--baud", "38400"});
    const std::string device = sim.readLine();
    ASSERT_EQ(device.rfind("/dev/", 0), 0u) << device;
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), device);

    PtyClient client(link);
    ASSERT_TRUE(client.isOpen());
    EXPECT_EQ(client.ask("FE FE 56 E0 03 FD"), hex("FE FE E0 56 03 00 40 07 14 00 FD"));
    EXPECT_EQ(sim.command("dial 3550000"), "ok");
    EXPECT_EQ(client.readFrames(1), std::vector<Bytes>{hex("FE FE 00 56 00 00 00 55 03 00 FD")});
    EXPECT_EQ(sim.command("mode XX").rfind("error: ", 0), 0u);
    EXPECT_EQ(sim.command("status\r").rfind("ok vfo A, A 3550000 USB, B 7050000 LSB, split off", 0), 0u);

    sim.closeInput();
    EXPECT_EQ(sim.exitStatus(), 0);
    struct stat st{};
    EXPECT_NE(::lstat(link.c_str(), &st), 0) << "the link outlived the simulator";
}

TEST(SimulatorProgram, RefusesBadOptions)
{
    for (const auto& args : {std::vector<std::string>{"--baud", "fast"}, {"--baud", "12"}, {"--frobnicate", "1"}}) {
        SimProcess sim(args);
        EXPECT_EQ(sim.exitStatus(), 2) << args[0] << " " << args[1];
    }
}

}  // namespace
}  // namespace quelm::sim::testing
