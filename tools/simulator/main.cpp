// quelm-sim: the simulated IC-746 as a program of its own. The first line it
// prints is the device path to open; every line on standard input is a
// control command, answered with one line. It ends at the end of its input,
// on "quit", or on SIGINT/SIGTERM.

#include <poll.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "simulator/radio_simulator.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void onSignal(int) { g_stop = 1; }

void usage()
{
    std::cerr << "usage: quelm-sim [--baud RATE] [--link PATH] [--log FILE] [--seed N] [--smeter N] [--load BANKFILE]\n"
                 "  prints the device path, then reads control commands from standard input (help lists them)\n";
}

bool parseArgs(int argc, char** argv, quelm::sim::SimulatorOptions& o, std::string& bank)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h")
            return false;
        if (i + 1 >= argc) {
            std::cerr << "quelm-sim: " << a << " needs a value\n";
            return false;
        }
        const std::string v = argv[++i];
        try {
            if (a == "--baud")
                o.baudRate = std::stoi(v);
            else if (a == "--link")
                o.symlinkPath = v;
            else if (a == "--log")
                o.logFilePath = v;
            else if (a == "--seed")
                o.sMeterSeed = static_cast<std::uint32_t>(std::stoul(v));
            else if (a == "--smeter") {
                o.sMeterStart = std::stoi(v);
                o.sMeterWanders = false;
            } else if (a == "--load")
                bank = v;
            else {
                std::cerr << "quelm-sim: unknown option " << a << "\n";
                return false;
            }
        } catch (const std::exception&) {
            std::cerr << "quelm-sim: " << a << " takes a number, not \"" << v << "\"\n";
            return false;
        }
    }
    if (o.baudRate < 300 || o.baudRate > 115200) {
        std::cerr << "quelm-sim: --baud takes a rate from 300 to 115200\n";
        return false;
    }
    return true;
}

// Control lines from standard input until it ends, "quit" or a signal.
void serveInput(quelm::sim::RadioSimulator& sim)
{
    std::string pending;
    while (!g_stop) {
        pollfd p{STDIN_FILENO, POLLIN, 0};
        if (poll(&p, 1, 200) <= 0)
            continue;
        char buf[1024];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0)
            return;
        pending.append(buf, static_cast<std::size_t>(n));
        for (std::size_t nl; (nl = pending.find('\n')) != std::string::npos;) {
            std::string line = pending.substr(0, nl);
            pending.erase(0, nl + 1);
            if (line == "quit" || line == "exit")
                return;
            std::cout << sim.control(line) << std::endl;
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    quelm::sim::SimulatorOptions options;
    std::string bank;
    if (!parseArgs(argc, argv, options, bank)) {
        usage();
        return 2;
    }
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGPIPE, SIG_IGN);

    quelm::sim::RadioSimulator sim(options);
    try {
        sim.start();
    } catch (const std::exception& e) {
        std::cerr << "quelm-sim: " << e.what() << "\n";
        return 1;
    }
    std::cout << sim.devicePath() << std::endl;
    if (!bank.empty())
        std::cout << sim.control("load " + bank) << std::endl;
    serveInput(sim);
    sim.stop();
    return 0;
}
