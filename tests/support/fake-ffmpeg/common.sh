# Shared by the fake ffmpeg programs: the output file is the last argument.
for last in "$@"; do :; done
out=${last#file:}

# progress SECONDS: status lines as ffmpeg prints them, one per media second, '\r'-ended.
progress() {
    i=1
    while [ "$i" -le "$1" ]; do
        printf 'size=%8dkB time=00:00:%02d.00 bitrate= 128.0kbits/s speed=10x    \r' "$i" "$i" >&2
        sleep 0.02
        i=$((i + 1))
    done
    printf '\n' >&2
}
# wav: 4 s of 8 kHz 8-bit mono silence as a WAV file.
wav() { printf 'RIFF$}\0\0WAVEfmt \20\0\0\0\1\0\1\0@\37\0\0@\37\0\0\1\0\10\0data\0}\0\0'; head -c 32000 /dev/zero; }
