#!/usr/bin/env python3
"""The fault-injection sweep of the unattended runs.

Runs every unattended scenario (tests/scenarios/quiet-*.scenario) once as it is,
then once for every simulated call that can be made to fail, with that call failing
once (`fail FUNCTION 31 1`) and failing every time (`fail FUNCTION 31`), and once
each with rundll32 that cannot start, rundll32 that outlives every wait, and a
driver update that fails. Every run must keep the promises of a run nobody watches:

  - no wizard page and no message box;
  - no violation of the strict machine;
  - an exit code of the documented set (0, 3010, 1603, 1639);
  - 0 or 3010 only when the asked printer is on the asked port with the catalogue's
    driver, with no copy of it beside it, and the default printer as asked;
  - the log's last line names the exit code.

What a scenario asks is written in it, on a comment line the parser skips:
    # sweep: printer="NAME" port=PORT default=yes|no
for a removal (0 only when no printer of the name or a copy of it is left):
    # sweep: removes="NAME"
or, for a scenario that must never install:
    # sweep: installs-nothing

    tests/scenarios/sweep.py KORVEL_SIM [SCENARIO...]
"""
import os
import re
import subprocess
import sys
import tempfile
from concurrent.futures import ThreadPoolExecutor

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
CODES = {int(c) for c in os.environ.get("KORVEL_SWEEP_CODES", "0 3010 1603 1639").split()}
ERROR = 31  # ERROR_GEN_FAILURE: a failure the program cannot expect


def failable_functions():
    """Every function the simulated machine can be told to fail, from its sources."""
    names = set()
    pattern = re.compile(r'(?:FailsNow|TakeFailure)\("(\w+)"')
    for folder, _, files in os.walk(os.path.join(ROOT, "platform", "sim")):
        for f in files:
            if f.endswith(".cpp"):
                with open(os.path.join(folder, f), encoding="utf-8") as src:
                    names.update(pattern.findall(src.read()))
    return sorted(names)


def variants():
    yield "plain", []
    for name in failable_functions():
        yield f"{name} fails once", [f"fail {name} {ERROR} 1"]
        yield f"{name} always fails", [f"fail {name} {ERROR}"]
    yield "rundll32 cannot start", ["rundll32 fail=2"]
    yield "rundll32 outlives the waits", ["rundll32 hang"]
    yield "the driver update fails", ["driver-update fail=0xE000020B"]


def expectation(scenario_text):
    m = re.search(r"^# sweep: (.*)$", scenario_text, re.M)
    if not m:
        return None
    words = m.group(1).strip()
    if words == "installs-nothing":
        return {}
    found = dict(re.findall(r'(\w+)=("[^"]*"|\S+)', words))
    return {k: v.strip('"') for k, v in found.items()}


def unquote(text):
    return text.replace('\\"', '"').replace("\\\\", "\\")


def machine(transcript):
    """Printers (name, driver, port, default) and written files of the final report."""
    printers, files, current = [], {}, None
    lines = transcript.split("\n")
    start = lines.index("machine:") if "machine:" in lines else len(lines)
    for line in lines[start + 1:]:
        m = re.match(r'  printer "((?:[^"\\]|\\.)*)" driver="((?:[^"\\]|\\.)*)" port="((?:[^"\\]|\\.)*)"'
                     r'(?: jobs=\d+)?( default)?$', line)
        if m:
            printers.append((unquote(m.group(1)), unquote(m.group(2)), unquote(m.group(3)), bool(m.group(4))))
            continue
        m = re.match(r'  file "(.*)"$', line)
        if m:
            current = unquote(m.group(1))
            files[current] = []
            continue
        m = re.match(r'    "(.*)"$', line)
        if m and current is not None:
            files[current].append(unquote(m.group(1)))
    return printers, files


def check(transcript, status, asked, closing_fails=False):
    """The broken promises of one run, in words. When the variant made a close fail,
    the handle it could not close is left open by the machine, not by the program."""
    problems = []
    lines = transcript.split("\n")
    if any(l.startswith("page ") for l in lines):
        problems.append("a wizard page was shown")
    if any(l.startswith("box ") for l in lines):
        problems.append("a message box was shown")
    violations = [l for l in lines if l.startswith("violation: ")]
    if closing_fails:
        violations = [v for v in violations if "every handle is released before the program ends" not in v]
    if violations or (status == 3 and not closing_fails):
        problems.append("violations: " + "; ".join(violations))
    codes = [int(l.split()[1]) for l in lines if l.startswith("exit-code ")]
    if not codes:
        return problems + ["the program did not end by itself"]
    code = codes[0]
    if code not in CODES:
        problems.append(f"exit code {code} is not one of {sorted(CODES)}")
    printers, files = machine(transcript)
    if code in (0, 3010) and "removes" in asked:
        name = asked["removes"].lower()
        left = [p[0] for p in printers if p[0].lower().startswith(name)]
        if left:
            problems.append(f"exit code {code}, but {', '.join(left)} is left")
    elif code in (0, 3010):
        if "printer" not in asked:
            problems.append(f"exit code {code} for a run that must not install")
        else:
            name = asked["printer"].lower()
            mine = [p for p in printers if p[0].lower() == name]
            copies = [p[0] for p in printers if p[0].lower().startswith(name) and p[0].lower() != name]
            if not mine:
                problems.append(f"exit code {code}, but no printer \"{asked['printer']}\"")
            else:
                _, driver, port, default = mine[0]
                if port.lower() != asked["port"].lower():
                    problems.append(f"exit code {code}, but the printer is on {port}, not {asked['port']}")
                if driver.lower() != name:
                    problems.append(f"exit code {code}, but the printer's driver is \"{driver}\"")
                if default != (asked.get("default", "yes") == "yes"):
                    problems.append(f"exit code {code}, but the printer is {'' if default else 'not '}the default")
            if copies:
                problems.append(f"exit code {code}, with {', '.join(copies)} beside the printer")
    # A log that could not be written is said on standard error instead.
    logs = [lines for path, lines in files.items() if path.lower().endswith(".log")]
    said = any(l.startswith("stderr ") and "cannot be written" in l for l in lines)
    if not said and (not logs or not logs[-1]):
        problems.append("no log, and nothing on standard error says why")
    elif not said and not logs[-1][-1].endswith(f"exit code {code}"):
        problems.append(f"the log's last line does not name exit code {code}: {logs[-1][-1]!r}")
    return problems


def run_one(sim, tmp, name, text, script, index, label, extra, asked):
    """One run of one variant: its broken promises."""
    path = os.path.join(tmp, f"{name}-{index}.scenario")
    with open(path, "w", encoding="utf-8") as f:
        f.write(text + "\n" + "\n".join(extra) + "\n")
    try:
        done = subprocess.run([sim, path, "--script", script], capture_output=True, text=True, timeout=60)
    except subprocess.TimeoutExpired:
        return ["the run did not end within 60 s"]
    closing = any(f"fail {function} " in e for e in extra for function in ("CloseHandle", "ClosePrinter"))
    problems = check(done.stdout, done.returncode, asked, closing)
    if done.returncode == 2:
        problems.append("the simulator refused the scenario: " + done.stderr.strip())
    return problems


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    sim = sys.argv[1]
    names = sys.argv[2:] or sorted(f[:-9] for f in os.listdir(HERE) if f.startswith("quiet-") and f.endswith(".scenario"))
    jobs = int(os.environ.get("KORVEL_SWEEP_JOBS", "2"))
    runs = failures = 0
    with tempfile.TemporaryDirectory() as tmp, ThreadPoolExecutor(max_workers=jobs) as pool:
        for name in names:
            with open(os.path.join(HERE, name + ".scenario"), encoding="utf-8") as f:
                text = f.read()
            asked = expectation(text)
            if asked is None:
                print(f"FAIL {name}: no \"# sweep:\" line says what it asks")
                failures += 1
                continue
            if re.search(r"^medium ", text, re.M):
                print(f"FAIL {name}: the sweep cannot move a scenario with its own medium")
                failures += 1
                continue
            script = os.path.join(HERE, name + ".script")
            work = [(label, pool.submit(run_one, sim, tmp, name, text, script, i, label, extra, asked))
                    for i, (label, extra) in enumerate(variants())]
            for label, future in work:
                runs += 1
                problems = future.result()
                for p in problems:
                    print(f"FAIL {name}, {label}: {p}")
                failures += bool(problems)
    print(f"sweep: {runs} runs, {failures} with a broken promise")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
