"""The options of the architecture checks: each option name takes the words after it, up to the
next option name."""


def parse_options(args, names):
    """A dict from each of `names` to the words given after it; a word before any option name
    ends the check with a message."""
    options = {name: [] for name in names}
    current = None
    for arg in args:
        if arg in options:
            current = arg
        elif current is None:
            raise SystemExit("unexpected argument " + arg)
        else:
            options[current].append(arg)
    return options
