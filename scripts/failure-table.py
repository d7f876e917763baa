#!/usr/bin/env python3
# The failures of one or more ctest logs of the Windows suite (runs of the same tests): per test
# that failed in any of them, how many failed and the first failure's lines (the gtest location
# and what was expected). Exit status 1 when a test failed or none ran. Used by scripts/test for
# its closing lines and by scripts/test-repeat for its table.
import re, sys
from pathlib import Path

logs = [Path(p) for p in sys.argv[1:]]
runs = len(logs)
failed, first, ran = {}, {}, False
result = re.compile(r'^\s*\d+/\d+ Test +#\d+: (\S+) [. ]*\**(\w+)')
location = re.compile(r'^(\S+?):(\d+): Failure$')
for i, log in enumerate(logs, 1):
    lines = log.read_text(errors='replace').replace('\r', '').splitlines()
    for at, line in enumerate(lines):
        match = result.match(line)
        if not match:
            continue
        name, outcome = match.groups()
        ran = True
        if outcome in ('Passed', 'Skipped'):
            continue
        failed[name] = failed.get(name, 0) + 1
        if name in first:
            continue
        # The test's output follows its line; its first failure is a gtest location and the
        # lines that say what was expected, up to the next blank line or location.
        message = [f'run {i}: {outcome}']
        for follow in range(at + 1, len(lines)):
            if result.match(lines[follow]):
                break
            found = location.match(lines[follow])
            if found:
                file = re.split(r'[\\/]', found.group(1))[-1]  # a Windows path or a Linux one
                message.append(f'{file}:{found.group(2)}')
                for detail in lines[follow + 1:follow + 6]:
                    if not detail.strip() or location.match(detail) or detail.startswith(('[', '----')):
                        break
                    message.append('  ' + detail.strip())
                break
        first[name] = message
if not ran:
    print('no test ran: see', ', '.join(map(str, logs)))
    sys.exit(1)
width = max([len(n) for n in failed] + [len('test')])
print(f"{'test'.ljust(width)}  failed  first failure")
print('-' * (width + 40))
for name in sorted(failed, key=lambda n: (-failed[n], n)):
    lines = first[name]
    print(f'{name.ljust(width)}  {failed[name]:>2}/{runs:<3}  {lines[0]}')
    for detail in lines[1:]:
        print(' ' * (width + 10) + detail)
if not failed:
    print('(no test failed in any run)')
sys.exit(1 if failed else 0)
