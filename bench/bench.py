"""Drives the benchmark: generates trees, runs Kairodex and the baseline alternately under the
same Wine prefix, checks that every file was changed, and prints a table of figures."""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

# bench/run passes the build folder of the architecture this machine runs and its name; it
# exports WINELOADER and WINESERVER for it.
BUILD = sys.argv[1]
ARCH = sys.argv[2]
# "--drop": only the target drop figures, on 10,000 and 100,000 files; "--dialog": only the
# dialog start; "--phases": only the table of start and exit phases.
DROP_ONLY = "--drop" in sys.argv[3:]
DIALOG_ONLY = "--dialog" in sys.argv[3:]
PHASES_ONLY = "--phases" in sys.argv[3:]
WINE = os.environ["WINELOADER"]
SERVER = os.environ["WINESERVER"]
KAIRODEX = os.path.join(BUILD, "Kairodex.exe")
BASELINE = os.path.join(BUILD, "bench", "Baseline.exe")
TRIVIAL = os.path.join(BUILD, "bench", "Trivial.exe")
MINIMAL_WINDOW = os.path.join(BUILD, "bench", "MinimalWindow.exe")
START_TIMER = os.path.join(BUILD, "bench", "StartTimer.exe")
DROP_TIMER = os.path.join(BUILD, "bench", "DropTimer.exe")
# Programs run under wine directly (bench/run made the prefix and the display), so the figures
# hold no script overhead and the program keeps the pid of the process started here.
ENV = dict(os.environ, TZ="UTC", WINEPREFIX=os.path.join(BUILD, "wineprefix"), WINEDEBUG="-all",
           WINEDLLOVERRIDES="mscoree,mshtml=")
if "DISPLAY" not in ENV and os.path.exists(os.path.join(BUILD, "display.now")):
    ENV["DISPLAY"] = open(os.path.join(BUILD, "display.now")).read().strip()
# 2024-09-07 12:00:00 UTC: what both programs set.
CHOSEN = 1725710400
OLD = 946684800  # 2000-01-01, the state every tree is reset to before a run


def windows_path(path):
    out = subprocess.run([WINE, "winepath.exe", "-w", path], env=ENV, capture_output=True, text=True)
    return out.stdout.strip()


def make_tree(top, folders, per_folder, name="f{0:05d}.txt"):
    for d in range(folders):
        folder = os.path.join(top, "d%04d" % d)
        os.makedirs(folder)
        for f in range(per_folder):
            with open(os.path.join(folder, name.format(f)), "wb") as out:
                out.write(b"x")


def make_chain(top, depth):
    folder = top
    os.makedirs(folder)
    for level in range(depth):
        with open(os.path.join(folder, "f.txt"), "wb") as out:
            out.write(b"x")
        folder = os.path.join(folder, "d")
        os.mkdir(folder)


def files_of(top):
    # find, not os.walk: the chain tree is deeper than Python's recursion limit.
    out = subprocess.run(["find", top, "-type", "f", "-print0"], capture_output=True, check=True)
    return [p.decode() for p in out.stdout.split(b"\0") if p]


def reset(paths):
    for p in paths:
        os.utime(p, (OLD, OLD))
    # The reset's own metadata goes to disk now, not during the next timed run's first flush.
    os.sync()


def check(paths, label):
    sample = paths[:: max(1, len(paths) // 200)] + paths[-1:]
    wrong = [p for p in sample if int(os.stat(p).st_mtime) != CHOSEN]
    if wrong:
        raise SystemExit("%s left %d of %d sampled files unchanged, e.g. %s" % (label, len(wrong), len(sample), wrong[0]))


def timed(argv):
    start = time.perf_counter()
    subprocess.run(argv, env=ENV, check=False, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.perf_counter() - start


def kairodex_argv(target):
    return [WINE, KAIRODEX, "-u", "-D", "2024/09/07", "-T", "12:00:00", "-M", "0", "-c", "-w", "-a", target]


def window_start(program, env=ENV, argument=None):
    """Seconds from process start until its window is visible and painted, timed by StartTimer."""
    command = [windows_path(program)] + ([] if argument is None else [argument])
    out = subprocess.run([WINE, START_TIMER] + command, env=env, capture_output=True, text=True)
    if out.returncode != 0:
        raise SystemExit("StartTimer failed (%d) for %s" % (out.returncode, program))
    return float(out.stdout.strip())


# Starts of each program in a dialog start figure, after one start of each that is not counted.
DIALOG_STARTS = int(os.environ.get("KAIRODEX_DIALOG_STARTS", "7"))


def paired_ratio(measured, reference):
    """The median of the rounds' ratios: the two runs of a round are made back to back, so load
    that drifts between rounds touches the ratio less than a ratio of medians."""
    return statistics.median(m / r for m, r in zip(measured, reference))


def compare_dialog_start():
    """Kairodex's dialog against the minimal window program, and against the same program drawing
    one line of text (the floor for any window with text: the first text loads the fonts),
    started in turns, each in another place of every round; each ratio is the median of the
    rounds' ratios. Returns the ratio against the minimal window program."""
    programs = [("dialog", KAIRODEX, None), ("minimal", MINIMAL_WINDOW, None), ("text", MINIMAL_WINDOW, "text")]
    for _, program, argument in programs:
        window_start(program, argument=argument)
    times = {name: [] for name, _, _ in programs}
    for round in range(DIALOG_STARTS):
        for name, program, argument in programs[round % 3:] + programs[:round % 3]:
            times[name].append(window_start(program, argument=argument))
    ratios = [d / m for d, m in zip(times["dialog"], times["minimal"])]
    ratio, text_ratio = paired_ratio(times["dialog"], times["minimal"]), paired_ratio(times["dialog"], times["text"])
    sd, sm, st = (statistics.median(times[n]) for n in ("dialog", "minimal", "text"))
    print("dialog start until painted: kairodex %.3f s, minimal window program %.3f s, ratio %.2f (rounds %.2f-%.2f)"
          % (sd, sm, ratio, min(ratios), max(ratios)))
    print("  the minimal window program drawing one line of text: %.3f s, kairodex against it %.2f" % (st, text_ratio))
    return ratio


# FILETIME of the Unix epoch: the phase log holds FILETIME ticks (100 ns).
EPOCH_TICKS = 116444736000000000
PHASE_RUNS = int(os.environ.get("KAIRODEX_PHASE_RUNS", "7"))


def read_phases(log):
    """The marks of one run as (name, milliseconds after the process was started); a name met
    again is numbered."""
    lines = [line.split("\t") for line in open(log).read().splitlines() if "\t" in line]
    start = int(lines[0][1])
    seen, marks = {}, []
    for name, ticks in lines[1:]:
        seen[name] = seen.get(name, 0) + 1
        marks.append((name if seen[name] == 1 else "%s (%d)" % (name, seen[name]), (int(ticks) - start) / 1e4))
    return marks


def phase_table(label, runs):
    """Prints the median time of each mark after the start, and since the mark before it."""
    names, times = [], {}
    for marks in runs:
        for name, ms in marks:
            if name not in times:
                names.append(name)
                times[name] = []
            times[name].append(ms)
    print("%s phases, median of %d runs (ms after the process was started):" % (label, len(runs)))
    print("  %-44s %8s %8s" % ("phase ends", "at", "takes"))
    previous = 0.0
    for name in sorted(names, key=lambda n: statistics.median(times[n])):
        at = statistics.median(times[name])
        print("  %-44s %8.1f %8.1f%s" % (name, at, at - previous, "" if len(times[name]) == len(runs) else
                                        "  (in %d runs)" % len(times[name])))
        previous = at


def measure_phases(target):
    """Phase marks of the benchmark build: the command line on one file, and the dialog started
    by StartTimer (which notes when it started the process) and closed once painted."""
    log = os.path.join(tempfile.gettempdir(), "kairodex-phases-%d.txt" % os.getpid())
    env = dict(ENV, KAIRODEX_PHASE_LOG=windows_path(log))
    command, dialog, seen = [], [], []
    for _ in range(PHASE_RUNS):
        for runs in (command, dialog):
            if os.path.exists(log):
                os.remove(log)
            if runs is command:
                with open(log, "w") as out:
                    out.write("process started\t%d\n" % (time.time_ns() // 100 + EPOCH_TICKS))
                subprocess.run(kairodex_argv(target), env=env, check=False)
            else:
                seen.append(window_start(KAIRODEX, env) * 1000)
            runs.append(read_phases(log))
    os.remove(log)
    phase_table("command line on one file", command)
    phase_table("dialog start, closed once painted", dialog)
    print("  (StartTimer saw the dialog painted after %.1f ms)" % statistics.median(seen))


def check_old(paths, label):
    sample = paths[:: max(1, len(paths) // 200)] + paths[-1:]
    wrong = [p for p in sample if int(os.stat(p).st_mtime) != OLD]
    if wrong:
        raise SystemExit("%s left %d of %d sampled files changed, e.g. %s" % (label, len(wrong), len(sample), wrong[0]))


def compare_undo(top, runs):
    """-U of a run over the tree against the baseline on the same tree: both open, read, set and
    close every file once. Returns the ratio undo / baseline."""
    paths = list(files_of(top))
    target = windows_path(top)
    times = {"undo": [], "baseline": []}
    for run in range(runs):
        for name in (["undo", "baseline"] if run % 2 == 0 else ["baseline", "undo"]):
            reset(paths)
            if name == "baseline":
                times[name].append(timed([WINE, BASELINE, target]))
                check(paths, name)
                continue
            subprocess.run(kairodex_argv(target), env=ENV, check=False)
            os.sync()
            times[name].append(timed([WINE, KAIRODEX, "-U"]))
            check_old(paths, name)
    u, b = statistics.median(times["undo"]), statistics.median(times["baseline"])
    ratio = paired_ratio(times["undo"], times["baseline"])
    print("undo of 10,000 files: -U %.3f s, baseline %.3f s, ratio %.2f" % (u, b, ratio))
    return ratio


def compare_drop(label, top, runs):
    """A target drop delivered in-process to the real dialog against the command-line mode on
    the same tree; both set the same value. Returns the ratio drop / command line."""
    paths = list(files_of(top))
    target = windows_path(top)
    result = os.path.join(tempfile.gettempdir(), "kairodex-droptimer-%d.txt" % os.getpid())
    env = dict(ENV, DROPTIMER_OUT=windows_path(result))
    times = {"drop": [], "command": []}
    for run in range(runs):
        for name in (["drop", "command"] if run % 2 == 0 else ["command", "drop"]):
            reset(paths)
            if name == "command":
                times[name].append(timed(kairodex_argv(target)))
            else:
                if os.path.exists(result):
                    os.remove(result)
                subprocess.run([WINE, DROP_TIMER] + kairodex_argv(target)[2:], env=env, check=False)
                if not os.path.exists(result):
                    raise SystemExit("DropTimer gave no figure")
                times[name].append(float(open(result).read().strip()))
            check(paths, name)
    os.remove(result)
    d, c = statistics.median(times["drop"]), statistics.median(times["command"])
    ratio = paired_ratio(times["drop"], times["command"])
    print("target drop of %s files in-process: %.3f s, command-line mode %.3f s, ratio %.2f" % (label, d, c, ratio))
    return ratio


def compare(label, top, runs):
    paths = list(files_of(top))
    target = windows_path(top)
    times = {"kairodex": [], "baseline": [], "touch": []}
    programs = [("kairodex", kairodex_argv(target)), ("baseline", [WINE, BASELINE, target])]
    for run in range(runs):
        # Each goes first in every other round, so neither always follows the other's writes.
        for name, argv in programs[run % 2:] + programs[:run % 2]:
            reset(paths)
            times[name].append(timed(argv))
            check(paths, name)
        reset(paths)
        start = time.perf_counter()
        subprocess.run(["find", top, "-type", "f", "-exec", "touch", "-d", "@%d" % CHOSEN, "{}", "+"], check=True)
        times["touch"].append(time.perf_counter() - start)
    k, b, t = (statistics.median(times[n]) for n in ("kairodex", "baseline", "touch"))
    ratio = paired_ratio(times["kairodex"], times["baseline"])
    print("%-28s %8d %10.3f %10.3f %7.2f %12.0f %10.3f" % (label, len(paths), k, b, ratio, len(paths) / k, t))
    return ratio


def peak_memory_kib(argv):
    """VmHWM of the Windows program's Linux process, polled until it ends (wine execs the
    preloader, so the program keeps the pid of the process started here)."""
    proc = subprocess.Popen(argv, env=ENV, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    peak = 0
    status = "/proc/%d/status" % proc.pid
    while proc.poll() is None:
        try:
            with open(status) as f:
                for line in f:
                    if line.startswith("VmHWM:"):
                        peak = max(peak, int(line.split()[1]))
        except OSError:
            pass
        time.sleep(0.001)
    return peak


def pin_to_one_processor():
    """The benchmark and every program it starts run on one processor, the last this process may
    use: a run hands over to Wine's server and back for every call, and across a virtual
    machine's processors each hand-over waits for the host to wake the other, which scattered
    paired rounds by about 20 % (on one processor, 5 %). KAIRODEX_BENCH_UNPINNED=1 keeps them all."""
    if os.environ.get("KAIRODEX_BENCH_UNPINNED") != "1":
        os.sched_setaffinity(0, {max(os.sched_getaffinity(0))})


def main():
    global KAIRODEX
    pin_to_one_processor()
    work = tempfile.mkdtemp(prefix="kairodex-bench-")
    # A copy of the program in the work folder: the undo journals of the runs go beside its
    # profile, and away with the folder.
    os.makedirs(os.path.join(work, "program"))
    KAIRODEX = shutil.copy(KAIRODEX, os.path.join(work, "program", "Kairodex.exe"))
    # One wineserver for the whole benchmark: otherwise it ends a few seconds after each program
    # and the next run pays for starting it and Wine's services again, which swamps the figures.
    # A server already running for the prefix is replaced: -p cannot be given to it.
    subprocess.run([SERVER, "-k"], env=ENV, check=False)
    subprocess.run([SERVER, "-p"], env=ENV, check=True)
    subprocess.run([WINE, TRIVIAL], env=ENV, check=False)
    # A hidden window held for the whole benchmark keeps Wine's desktop process running, as a
    # desktop runs under any window program: it ends a few seconds after the last window goes,
    # and every window program started after that paid about 0.18 s for starting it again.
    keeper = subprocess.Popen([WINE, MINIMAL_WINDOW, "keep"], env=ENV)
    try:
        trees = {
            "10k": os.path.join(work, "t10k"),
            "100k": os.path.join(work, "t100k"),
            "chain": os.path.join(work, "chain"),
            "names": os.path.join(work, "names"),
            "1k": os.path.join(work, "t1k"),
        }
        print("architecture: %s (%s); processors: %d of %d" % (ARCH, KAIRODEX, len(os.sched_getaffinity(0)),
                                                              os.cpu_count()))
        if PHASES_ONLY or DIALOG_ONLY:
            single = os.path.join(work, "one.txt")
            with open(single, "wb") as out:
                out.write(b"x")
            if PHASES_ONLY:
                measure_phases(windows_path(single))
            if DIALOG_ONLY:
                compare_dialog_start()
            return
        make_tree(trees["10k"], 100, 100)
        make_tree(trees["100k"], 1000, 100)
        if DROP_ONLY:
            rdrop = compare_drop("10,000", trees["10k"], 7)
            rdrop100k = compare_drop("100,000", trees["100k"], 5)
            print("drop ratio 10k: %.2f, 100k: %.2f" % (rdrop, rdrop100k))
            return
        make_chain(trees["chain"], 1000)
        make_tree(trees["names"], 1, 10000, name="Zeitstempel-Übersicht-日本語の長いファイル名-{0:05d}-" + "ä" * 60 + ".txt")
        make_tree(trees["1k"], 10, 100)
        single = os.path.join(work, "one.txt")
        with open(single, "wb") as out:
            out.write(b"x")

        print("%-28s %8s %10s %10s %7s %12s %10s" % ("tree", "files", "kairodex", "baseline", "ratio", "files/s", "touch"))
        r10k = compare("10,000 in 100 folders", trees["10k"], 9)
        r100k = compare("100,000 in 1,000 folders", trees["100k"], 5)
        compare("chain 1,000 deep", trees["chain"], 3)
        compare("10,000 long non-ASCII names", trees["names"], 3)

        one = windows_path(single)
        starts = {"kairodex": [], "trivial": []}
        for _ in range(25):
            starts["kairodex"].append(timed(kairodex_argv(one)))
            starts["trivial"].append(timed([WINE, TRIVIAL]))
        sk, st = statistics.median(starts["kairodex"]), statistics.median(starts["trivial"])
        print("start-up with one file: kairodex %.3f s, trivial program %.3f s, ratio %.2f" % (sk, st, sk / st))

        rdialog = compare_dialog_start()
        rdrop = compare_drop("10,000", trees["10k"], 7)
        rdrop100k = compare_drop("100,000", trees["100k"], 5)
        rundo = compare_undo(trees["10k"], 5)

        m1k = peak_memory_kib(kairodex_argv(windows_path(trees["1k"])))
        m100k = peak_memory_kib(kairodex_argv(windows_path(trees["100k"])))
        growth = (m100k - m1k) / 1024.0
        print("peak memory (VmHWM): 1,000 files %.1f MiB, 100,000 files %.1f MiB" % (m1k / 1024.0, m100k / 1024.0))
        print("apply ratio 10k: %.2f, 100k: %.2f; start ratio: %.2f; memory growth: %.1f MiB; "
              "dialog start ratio: %.2f; drop ratio 10k: %.2f, 100k: %.2f; undo ratio 10k: %.2f"
              % (r10k, r100k, sk / st, growth, rdialog, rdrop, rdrop100k, rundo))
    finally:
        keeper.kill()
        subprocess.run([SERVER, "-k"], env=ENV, check=False)
        subprocess.run(["rm", "-rf", work, os.path.join(BUILD, "bench", "Journal")], check=False)


main()
