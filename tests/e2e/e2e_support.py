"""What every end-to-end script needs: Windows names of Linux paths under Wine, and a list of
failed checks that decides the exit code."""

failures = []


def win(path):
    """The Windows name of a Linux path under Wine (Z: is /)."""
    return "Z:" + path.replace("/", "\\")


def check(condition, what):
    print(("ok    " if condition else "FAIL  ") + what)
    if not condition:
        failures.append(what)


def outcome(what, seconds, shots):
    """Prints the run's summary and returns the script's exit code."""
    print("%s: %.0f s, screenshots in %s" % (what, seconds, shots))
    if failures:
        print("FAILED: %d checks" % len(failures))
        return 1
    print("all checks passed")
    return 0
