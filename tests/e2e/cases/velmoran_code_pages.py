"""The shipped Velmoran.exe in folders whose names are awkward in one code page or the other,
under the Western (1252) and the Japanese (932) code page."""

from velmoran import command, readme, usage
from wine_e2e import Case

JAPANESE = "ja_JP.UTF-8"
WESTERN_LINE = b'"{exe}" -\xe9 -h Reboot'

CODE_PAGES = [
    # In code page 1252 é is 0xE9, which Shift-JIS takes for the first byte of a pair and
    # would join with the backslash behind it.
    command("cafe_copy_runs_its_command_1252", "Reboot", '"{exe}"', folder="Café",
            file_name="Reboot.exe"),
    readme("cafe_readme_beside_program_1252", '"{exe}" Help', folder="Café"),
    # Code page 932 has no é: no narrow path names this folder (converted, it names a folder
    # "Cafe"), so only the file opened and the absence of a box are checked, not the calls.
    command("cafe_copy_runs_its_command_932", "Reboot", '"{exe}"', folder="Café",
            file_name="Reboot.exe", locale=JAPANESE),
    readme("cafe_readme_beside_program_932", '"{exe}" Help', folder="Café", locale=JAPANESE,
           calls=None),
    # ソ is 83 5C in Shift-JIS: its second byte is a backslash.
    command("shift_jis_5c_copy_runs_its_command", "Reboot", '"{exe}"', folder="ソ",
            file_name="Reboot.exe", locale=JAPANESE),
    readme("shift_jis_5c_readme_beside_program", '"{exe}" Help', folder="ソ", locale=JAPANESE),
    # Read one byte at a time, -\xE9 is an option of its own and Reboot the first argument.
    # Read as Shift-JIS, \xE9 would take the blank behind it for its second byte, the option's
    # tag would run on to "-h" and take Reboot for its value: no argument, help.
    command("western_line_read_byte_by_byte", "Reboot", WESTERN_LINE),
    # Under code page 932 the pair is joined before the program runs: CreateProcessA turns
    # \xE9 and the blank into one character, which comes back as 81 45. The option's tag is
    # that character and -h, its value Reboot. Every line the program can receive here is
    # proper Shift-JIS, whose second bytes are never blanks or quotes.
    Case("japanese_line_as_the_program_receives_it", program="echo_line.exe", locale=JAPANESE,
         line=WESTERN_LINE, exit_code=932, echo={"line": b'"{exe}" -\x81\x45-h Reboot'}),
    usage("japanese_line_with_e9_blank_ends_in_help", WESTERN_LINE, locale=JAPANESE),
]

CASES = CODE_PAGES
