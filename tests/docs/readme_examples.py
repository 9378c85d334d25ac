"""Runs the README's examples as shown and compares what they print.

A block that follows a line <!-- example --> holds commands, each on a
line that starts with "$ ", and under each the first lines it prints. The
commands run from the project's folder with bash, build/ standing for the
build folder given; what they print must begin with the lines shown.

    readme_examples.py SOURCE_DIR BUILD_DIR
"""
import subprocess
import sys

source, build = sys.argv[1], sys.argv[2]
with open(source + "/README.md", encoding="utf-8") as f:
    lines = f.read().split("\n")

examples = []  # (line number, command, expected lines)
i = 0
while i < len(lines):
    if lines[i].strip() != "<!-- example -->":
        i += 1
        continue
    i += 1
    while not lines[i].lstrip().startswith("```"):
        i += 1
    indent = len(lines[i]) - len(lines[i].lstrip())
    i += 1
    while not lines[i].lstrip().startswith("```"):
        text = lines[i][indent:]
        if text.startswith("$ "):
            examples.append((i + 1, text[2:], []))
        elif examples:
            examples[-1][2].append(text)
        i += 1

failed = 0
for number, command, expected in examples:
    run = subprocess.run(["bash", "-c", command.replace("build/", build + "/")], cwd=source,
                         capture_output=True, text=True)
    got = run.stdout.split("\n")
    if got[: len(expected)] != expected:
        failed += 1
        print("README.md:%d: %s" % (number, command))
        for want, have in zip(expected, got + [""] * len(expected)):
            if want != have:
                print("  shown: %s\n  got:   %s" % (want, have))
                break
print("%d README examples, %d differ" % (len(examples), failed))
sys.exit(1 if failed or not examples else 0)
