#!/usr/bin/python3
"""Times whole processes side by side with little overhead of its own.

usage: timeproc.py RUNS CMD [ARGS...] [--- CMD [ARGS...]]...

Runs the commands in turn, RUNS rounds, each started with posix_spawn and reaped with
waitpid, so the figure is the command's own start-up and work, not a shell's or a timer's
fork. Prints one line per command: its median milliseconds. (Peak memory comes from
GNU time: a child spawned from here inherits this interpreter's high-water mark.)
"""
import os
import statistics
import sys
import time


def run_once(argv):
    devnull = os.open(os.devnull, os.O_RDWR)
    actions = [(os.POSIX_SPAWN_DUP2, devnull, 1), (os.POSIX_SPAWN_DUP2, devnull, 2)]
    start = time.perf_counter()
    pid = os.posix_spawnp(argv[0], argv, os.environ, file_actions=actions)
    os.waitpid(pid, 0)
    elapsed = time.perf_counter() - start
    os.close(devnull)
    return elapsed * 1000.0


def split_commands(args):
    commands, current = [], []
    for arg in args:
        if arg == "---":
            commands.append(current)
            current = []
        else:
            current.append(arg)
    commands.append(current)
    return [c for c in commands if c]


def main():
    runs = int(sys.argv[1])
    commands = split_commands(sys.argv[2:])
    times = [[] for _ in commands]
    for command in commands:  # one warm-up round: page cache, dynamic loader cache
        run_once(command)
    for _ in range(runs):
        for i, command in enumerate(commands):
            times[i].append(run_once(command))
    for t in times:
        print(f"{statistics.median(t):.1f}")


if __name__ == "__main__":
    main()
