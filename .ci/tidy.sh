#!/usr/bin/env bash
# Runs clang-tidy with the repository's .clang-tidy over every C++ source file
# and fails on any finding (.clang-tidy makes every warning an error).
#
#   .ci/tidy.sh [PATH_REGEX...]   e.g. .ci/tidy.sh src/ 'tools/kvrLut'
#
# Without arguments every source is checked; with them only the sources whose
# path (relative to the repository) matches one of the regular expressions.
# The compile commands come from the release build (TIDY_BUILD, relative to the
# repository, default build; configured with -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
# as .ci/run does); TIDY_JOBS clang-tidy processes run at a time (default 2).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${TIDY_BUILD:-build}
jobs=${TIDY_JOBS:-2}

if [ ! -f "$build/compile_commands.json" ]; then
  echo "no $build/compile_commands.json: configure with -DCMAKE_EXPORT_COMPILE_COMMANDS=ON" >&2
  exit 1
fi

# The sources: every one the build compiles, plus those no release build
# compiles: the fuzz targets (built only by the clang fuzz build), the fuzz
# seed writer and the host of the install test. These need no more than the
# public headers and their own directory, so those flags check them as their
# own builds compile them. Each clang-tidy's output is printed in one piece;
# the exit status is 1 when any file has a finding (or does not compile).
python3 - "$root" "$build" "$jobs" "$@" <<'EOF'
import concurrent.futures, glob, json, os, re, subprocess, sys, threading
root, build, jobs, *patterns = sys.argv[1:]
commands = json.load(open(f"{build}/compile_commands.json"))
compiled = {os.path.realpath(c["file"]) for c in commands}
sources = sorted(compiled)
for dir in ["include", "src", "tools", "tests", "bench", "examples", "fuzz", "python"]:
    for source in glob.glob(f"{root}/{dir}/**/*.cpp", recursive=True):
        if os.path.realpath(source) not in compiled:
            sources.append(source)
sources = [s for s in sources
           if not patterns or any(re.search(p, os.path.relpath(s, root)) for p in patterns)]
if not sources:
    sys.exit("clang-tidy: no source matches " + " ".join(patterns))
# Findings in the repository's own headers count too, not in system ones.
headers = f"^{re.escape(root)}/(include|src|tools|tests|bench|examples|fuzz|python)/"
lock, failed = threading.Lock(), []

def tidy(source):
    command = ["clang-tidy", "--quiet", f"--header-filter={headers}"]
    if os.path.realpath(source) in compiled:
        command += ["-p", build, source]
    else:
        command += [source, "--", "-std=c++17", f"-I{root}/include",
                    f"-I{os.path.dirname(source)}"]
    run = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    output = "".join(line for line in run.stdout.splitlines(True)
                     if not line.endswith("warnings generated.\n"))
    with lock:
        sys.stdout.write(output)
        sys.stdout.flush()
        if run.returncode != 0:
            failed.append(os.path.relpath(source, root))

with concurrent.futures.ThreadPoolExecutor(int(jobs)) as pool:
    list(pool.map(tidy, sources))
print(f"clang-tidy: {len(sources)} files checked, {len(failed)} with findings"
      + "".join(f"\n  {f}" for f in sorted(failed)))
sys.exit(1 if failed else 0)
EOF
