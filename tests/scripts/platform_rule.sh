#!/usr/bin/env bash
# Product code reaches the machine only through src/platform/win32.h: no POSIX or host headers, no
# <filesystem>, <fstream> or <thread>, no fopen. Locks and waits are Win32 ones (critical sections, events,
# interlocked operations or std::atomic), never the standard library's mutexes and condition variables,
# whose waits winsim's clock cannot see. This keeps the Windows build and winsim honest. The tools shipped
# beside setup follow the same rule.
src="$1/src"
tools="$1/tools"
status=0
hits=$(grep -rnE '#[[:space:]]*include[[:space:]]*[<"](unistd\.h|sys/[^>"]*|pthread\.h|dlfcn\.h|fcntl\.h|dirent\.h|signal\.h|termios\.h|filesystem|fstream|thread|mutex|shared_mutex|condition_variable|future|semaphore|latch|barrier|windows\.h|winsim/[^>"]*)[>"]' "$src" "$tools" | grep -v '^'"$src"'/platform/win32.h:')
if [ -n "$hits" ]; then
    echo "host or platform headers outside src/platform/win32.h:"
    echo "$hits"
    status=1
fi
hits=$(grep -rnwE 'fopen|freopen|popen|std::thread|std::jthread|std::filesystem|std::ifstream|std::ofstream|std::fstream|std::(recursive_|timed_|recursive_timed_|shared_)?mutex|std::condition_variable(_any)?|std::async|std::this_thread' "$src" "$tools")
if [ -n "$hits" ]; then
    echo "host calls in product code (use the Win32 API through src/platform/win32.h):"
    echo "$hits"
    status=1
fi
exit $status
