#!/bin/bash
# Inside the test machine. "director" runs as root from the boot unit: it installs the program
# handed in, waits for the console sessions, and runs the plan's cases one after another;
# "session" is the autologin shell of tester on tty1 and tty2, which runs the cases the director
# queues for its terminal; "run" runs one case where it is started (as root, or as visitor from
# systemd-run). Every result goes to the second serial port as one line the harness reads:
#   VMCASE name exit=N stderr=BASE64   VMBUS name JSON   VMINFO ...   VMDONE
set -u
shared=/run/velmoran
queue=$shared/queue
program=/opt/velmoran/velmoran
stopping=

say() {
    printf '%s\n' "$*" >/dev/ttyS1
}

# Waits up to $2 seconds for a file to appear.
wait_for() {
    local deadline=$((SECONDS + $2))
    while [ ! -e "$1" ]; do
        if [ "$SECONDS" -ge "$deadline" ]; then
            say "VMINFO timed out waiting for $1"
            { loginctl list-sessions; journalctl -b --no-pager -n 30 | grep -v kernel:; } 2>&1 |
                sed 's/^/VMINFO journal: /' >/dev/ttyS1
            return 1
        fi
        sleep 0.1
    done
}

# The program with no folder of its own to read from, its standard error kept apart. A
# power-off stops this unit or session as soon as logind has queued it, while the program may
# still be reading logind's answer: it ignores the stop signals, and the shells that run it
# say its result before they end (stopping).
run() {
    local name=$1 word=$2 stderr code
    say "VMINFO $name: $word as $(id -un) at $(cut -d' ' -f1 /proc/uptime)"
    stderr=$(cd / && trap '' TERM HUP && exec "$program" "$word" 2>&1 >/dev/null)
    code=$?
    say "VMCASE $name exit=$code stderr=$(printf %s "$stderr" | base64 -w0)"
}

session() {
    local terminal
    terminal=$(tty)
    terminal=${terminal#/dev/}
    # Said when the shell gets to it: after the case it runs, if any.
    trap 'stopping=1; say "VMINFO session $terminal stops at $(cut -d" " -f1 /proc/uptime)"' \
        TERM HUP
    say "VMINFO session $terminal id=${XDG_SESSION_ID:-none} user=$(id -un)" \
        "uptime=$(cut -d' ' -f1 /proc/uptime)"
    touch "$queue/ready.$terminal"
    while :; do
        # An inhibitor to hold from this session, which polkit lets a user take only here.
        if [ -e "$queue/$terminal.hold" ]; then
            local mode what why
            read -r mode what why <"$queue/$terminal.hold"
            rm -f "$queue/$terminal.hold"
            systemd-inhibit --what="$what" --who=velmoran-test --why="$why" --mode="$mode" \
                sleep 600 &
            echo $! >"$queue/.$terminal.held"
            mv "$queue/.$terminal.held" "$queue/$terminal.held"
        fi
        if [ -e "$queue/$terminal" ]; then
            local name word
            read -r name word <"$queue/$terminal"
            rm -f "$queue/$terminal"
            run "$name" "$word"
            touch "$queue/$name.done"
        fi
        [ -n "$stopping" ] && exit 0
        sleep 0.1
    done
}

# A call on the manager that the monitor sees, with a mark of its own as the argument, made
# until the monitor has shown it: then the monitor has caught up with everything before it.
monitor_mark() {
    local deadline=$((SECONDS + 20))
    until grep -q "\"velmoran-mark-$2\"" "$1"; do
        # A machine going down answers no more calls.
        [ "$SECONDS" -ge "$deadline" ] || [ -n "$stopping" ] && return 1
        busctl call org.freedesktop.login1 /org/freedesktop/login1 \
            org.freedesktop.login1.Manager GetSession s "velmoran-mark-$2" >/dev/null 2>&1
        sleep 0.3
    done
}

# Calls to the login manager, its errors, and its sessions' signals, as they happen: a
# power-off may not leave time to report them afterwards.
start_monitor() {
    local name=$1
    : >"$shared/$name.bus"
    busctl monitor --json=short \
        --match="type='method_call',interface='org.freedesktop.login1.Manager'" \
        --match="type='method_call',interface='org.freedesktop.DBus.Properties',destination='org.freedesktop.login1'" \
        --match="type='error'" \
        --match="type='signal',interface='org.freedesktop.login1.Session'" > >(
        while IFS= read -r line; do
            printf '%s\n' "$line" >>"$shared/$name.bus"
            say "VMBUS $name $line"
        done
    ) &
    monitor=$!
    monitor_mark "$shared/$name.bus" start
}

# Holds an inhibitor for the case (sets inhibitor to its pid): as root, or from tester's session
# on a terminal. Arguments: root or the terminal, the mode, what it holds back, and why.
hold() {
    local holder=$1 mode=$2 what=$3 why=$4
    if [ "$holder" = root ]; then
        systemd-inhibit --what="$what" --who=velmoran-test --why="$why" --mode="$mode" sleep 600 &
        inhibitor=$!
    else
        echo "$mode $what $why" >"$queue/.$holder.hold"
        mv "$queue/.$holder.hold" "$queue/$holder.hold"
        wait_for "$queue/$holder.held" 60 || return 1
        inhibitor=$(cat "$queue/$holder.held")
        rm -f "$queue/$holder.held"
    fi
    until systemd-inhibit --list --no-pager | grep -q velmoran-test; do sleep 0.1; done
}

director() {
    trap 'stopping=1' TERM
    mkdir -p /opt/velmoran "$queue"
    install -m 755 "$shared/velmoran" "$program"
    # Not sticky: the sessions remove the requests the director puts there.
    chmod 777 "$queue"
    chmod 666 /dev/ttyS1
    touch "$shared/ready"
    wait_for "$queue/ready.tty1" 60
    say "VMINFO ready after $(cut -d' ' -f1 /proc/uptime) s of uptime"
    local name context setup word inhibitor monitor
    while read -r name context setup word; do
        say "VMINFO $name starts at $(cut -d' ' -f1 /proc/uptime)"
        inhibitor= monitor=
        case ",$setup," in *,swap,*) swapon /dev/vdc ;; esac
        case ",$setup," in
        *,inhibitor,*) hold root block shutdown:sleep "a test holds it" ;;
        *,own-inhibitor,*) hold tty1 block shutdown "the console user holds it" ;;
        *,delay-inhibitor,*) hold root delay shutdown "a test delays it" ;;
        esac
        case ",$setup," in *,monitor,*) start_monitor "$name" ;; esac
        # visitor's session on tty2 starts with the first case that needs it: until then, tester
        # is the only user logged in.
        if [ "$context" = tty2 ] && [ ! -e "$queue/ready.tty2" ]; then
            systemctl start getty@tty2.service
            wait_for "$queue/ready.tty2" 60
        fi
        case $context in
        root) run "$name" "$word" ;;
        tty1 | tty2)
            echo "$name $word" >"$queue/.$context"
            mv "$queue/.$context" "$queue/$context"
            wait_for "$queue/$name.done" 60
            ;;
        visitor)
            systemd-run --quiet --wait --uid=visitor -- /bin/bash "$shared/guest.sh" run \
                "$name" "$word"
            ;;
        esac
        case ",$setup," in *,monitor,*)
            monitor_mark "$shared/$name.bus" end
            kill "$monitor" 2>/dev/null
            ;;
        esac
        case ",$setup," in *,sleep,*)
            # The call returns once the sleep is queued: wait until the machine is back.
            # (The sleep service's own state is gone as soon as it is done: its journal stays.)
            until journalctl -b -q -t systemd-sleep | grep -q "System returned from sleep"; do
                sleep 0.2
            done
            say "VMINFO $name woke up"
            ;;
        esac
        [ -n "$inhibitor" ] && kill "$inhibitor"
        [ -n "$stopping" ] && exit 0
    done <"$shared/plan"
    say "VMINFO plan done at $(cut -d' ' -f1 /proc/uptime)"
    say VMDONE
}

case $1 in
director) director ;;
session) session ;;
run) run "$2" "$3" ;;
esac
