#!/usr/bin/env python3
"""Plants faults in the program one at a time and runs the write sessions' CI-sized check on each.

Usage: planted_faults.py BUILD_DIR [NAME ...]

For each fault (all, or those named): changes the source as the fault says, builds
tst_write_sessions in BUILD_DIR, runs it (the kept regressions, then 8,900 sessions of fixed
seeds, ending at the first failing kept regression), prints whether the check failed, the session
that failed first and the first lines of its message; then puts the source back, whatever
happened. Ends with 1 when a planted fault passed the check.

Notes (the run of 2026-12-09, again on 2026-12-10 with the same results but where said; the CI run starts with the kept regressions, so most faults fail
in one of them: the session count is where the first failure came, and the kept session's text
names the fault it was kept for):
- taken-lines-dropped: session 1 ("a write of item 0006 carried a later alarm value ...").
- unit-lines-swapped: session 5 ("the second phase of a transfer went ahead of a re-read ...").
- page-left-stale: session 1.
- no-read-back: session 18 ("a write's read-back went unanswered ...", found by the CI run's
  fixed seed 7 once the page was checked).
- merged-re-read-tries: session 12 (bench seed 7271578374672608429; also 12905071142141284344
  and 3613392041761076197). Since 2026-12-10 not caught: a re-read that read the block's
  configuration, and an item never read, are asked until read however many tries it takes, so
  the count of tries no longer ends the re-read the seeds needed.
- late-read-reply-acknowledges: tst_comm_simulated_time, lateReadReplyIsNoWriteAcknowledgement
  (bench seed 7356034623920679694 found it; since a read-back without answer is tried again,
  random sessions almost never reach it).
- transfer-refusal-not-read-back: session 3 ("a transfer's refused action code was not told").
- unanswered-recorded-as-taken: session 3.
- factory-checksum-failure-not-retried: the kept session of bench seed 146503822474820827.
- alarm-value-carried-ahead-of-action-code: the kept session of bench seed 15444504421663521350.
- refusal-names-another-block: see the closing note (a block's number inside an item code or a
  channel's name once passed for it).
- Since the sessions give blocks tenths and linear inputs and owe the record a line for each
  refused and unanswered write: refused-lines-dropped, unanswered-transfer-lines-dropped,
  level-sent-without-low-limit, span-shown-in-tenths and alarm-value-keeps-its-old-reading
  (the last one's kept sessions).
"""
import os
import pathlib
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]

# name: (file, the text as it stands, the text with the fault[, the test that catches it when the
# write sessions cannot])
FAULTS = {
    "taken-lines-dropped": (
        "core/comm/WriteCommands.cpp",
        "    for (const SettingChange &change : WriteChanges(item, block, asked, before, origin, recorded))",
        "    if (recorded == PLM_INC::WriteOutcome::Taken)\n        return;\n"
        "    for (const SettingChange &change : WriteChanges(item, block, asked, before, origin, recorded))"),
    "unit-lines-swapped": (
        "core/comm/SettingChanges.cpp",
        "countText(*info, ch, before[size_t(c)]),\n                                     countText(*info, ch, after[size_t(c)])",
        "countText(*info, ch, after[size_t(c)]),\n                                     countText(*info, ch, before[size_t(c)])"),
    "page-left-stale": (
        "core/comm/ReplyDecoder.cpp",
        "            NoteControllerCount(item.field, ch, values[static_cast<size_t>(c)]);",
        "            NoteControllerCount(item.field, ch, values[static_cast<size_t>(c)]);\n        if (setting)\n            continue;"),
    "no-read-back": (
        "core/comm/WriteCommands.cpp",
        "            reads_.readOrAskAgain(block, item); // whatever",
        "            (void)item; // whatever"),
    "merged-re-read-tries": (
        "core/model/LinkRequests.cpp",
        "            if (more)\n                waiting->tries = 0;",
        "            (void)more;"),
    "late-read-reply-acknowledges": (
        "core/comm/ReplyKind.cpp",
        "    if (reply.size() >= 4 && reply.at(3).unicode() != char16_t(uchar(command)))\n        return false;",
        "    (void)command;",
        "tst_comm_simulated_time"),  # too rare in random sessions since read-backs are tried again
    "transfer-refusal-not-read-back": (
        "core/comm/WriteCommands.cpp",
        "            PendingRequests.push(ReReadOf(block, item));\n    refusedInPhase_.clear();",
        "            (void)item;\n    refusedInPhase_.clear();"),
    "unanswered-recorded-as-taken": (
        "core/comm/WriteCommands.cpp",
        "                                                                              : PLM_INC::WriteOutcome::NoReply;",
        "                                                                              : PLM_INC::WriteOutcome::Taken;"),
    "factory-checksum-failure-not-retried": (
        "core/comm/WriteCommands.cpp",
        "            const bool answered = kind == ReplyKind::Ack || kind == ReplyKind::Nak;",
        "            const bool answered = kind != ReplyKind::NoReply;"),
    "refusal-names-another-block": (
        "core/comm/WriteProblemText.cpp",
        "        .arg(BlockListText(BlockBit(block)), what);",
        "        .arg(BlockListText(BlockBit((block + 1) % 16)), what);"),
    "alarm-value-carried-ahead-of-action-code": (
        "core/model/LinkRequests.cpp",
        " && !actionCodeWaits(waiting_, write.block, write.item, w.channel)) {",
        " && (true || !actionCodeWaits(waiting_, write.block, write.item, w.channel))) {"),
    "refused-lines-dropped": (
        "core/comm/WriteCommands.cpp",
        "    for (const SettingChange &change : WriteChanges(item, block, asked, before, origin, recorded))",
        "    if (recorded == PLM_INC::WriteOutcome::Refused)\n        return;\n"
        "    for (const SettingChange &change : WriteChanges(item, block, asked, before, origin, recorded))"),
    "unanswered-transfer-lines-dropped": (
        "core/comm/WriteCommands.cpp",
        "const bool lastTry = !oneItem || request->tries + 1 >= kWriteTries;",
        "const bool lastTry = oneItem && request->tries + 1 >= kWriteTries;"),
    "level-sent-without-low-limit": (
        "core/model/Conversions.cpp",
        "return toInt16((double(value) - ScaleLow[channel]) * 10000.0 / divisorSpan(channel));",
        "return toInt16(double(value) * 10000.0 / divisorSpan(channel));"),
    "span-shown-in-tenths": (
        "core/model/ValueText.cpp",
        "    if (IsTemperatureInput(InputType[channel]))\n        return FormatByDivisor(raw, 10);\n"
        "    return linearText(channel, raw);",
        "    (void)channel;\n    return FormatByDivisor(raw, 10);"),
    "alarm-value-keeps-its-old-reading": (
        "core/comm/ReplyDecoder.cpp",
        "        followActionCode(item.field, ch);",
        "        (void)followActionCode;"),
}


def run(build: str, name: str) -> bool:
    path, now, faulty = FAULTS[name][:3]
    test = FAULTS[name][3] if len(FAULTS[name]) > 3 else "tst_write_sessions"
    source = ROOT / path
    text = source.read_text()
    if text.count(now) != 1:
        print(f"{name}: the text to change is not in {path} once; the script needs updating")
        return False
    try:
        source.write_text(text.replace(now, faulty))
        subprocess.run(["cmake", "--build", build, "--target", test], check=True, stdout=subprocess.DEVNULL)
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", PLM_WRITE_SESSIONS="8900", PLM_WRITE_SESSIONS_STOP="1")
        result = subprocess.run([f"{build}/bin/{test}"], env=env, capture_output=True, text=True)
    finally:
        source.write_text(text)
    lines = [l for l in result.stdout.splitlines() if l and not l.startswith("    ")]
    first = next((l for l in lines if l.startswith("the first failure came")), "")
    lines = [l for l in lines if not l.startswith(("link:", "{", "the first failure", "Using"))]
    fail = next((i for i, l in enumerate(lines) if l.startswith("FAIL")), 0)
    message = lines[fail:fail + 3]  # the first failure and what it says
    print(f"{name}: {'caught' if result.returncode else 'NOT caught'} by {test}; {first}")
    for line in message:
        print("    " + line[:300])
    sys.stdout.flush()
    return result.returncode != 0


def main() -> int:
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    build = sys.argv[1]
    names = sys.argv[2:] or list(FAULTS)
    missed = [n for n in names if not run(build, n)]
    subprocess.run(["cmake", "--build", build, "--target", "tst_write_sessions", "tst_comm_simulated_time"], check=True,
                   stdout=subprocess.DEVNULL)
    print(f"{len(names) - len(missed)} of {len(names)} planted faults caught")
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
