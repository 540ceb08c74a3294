#!/usr/bin/env python3
"""Starts and stops stand-in services for programs that cannot start them.

A Windows test program under Wine cannot start the stand-in (a Linux
program) nor stop it. This launcher runs beside it, on Linux, and serves it
through a spool directory that both see:

  NAME.start   written by the test (whole, by rename): a JSON object with
               "san", "mode" and "args" (extra stand-in options)
  NAME/        made by the launcher: certs/ (make-ca.sh, RSA keys), record/,
               and the stand-in's mode and body files
  NAME.port    written by the launcher (whole, by rename): the port, or
               "error: TEXT" when the stand-in could not start
  NAME.stop    written by the test: the launcher stops that stand-in and
               writes NAME.stopped

  launcher.py start SPOOL   runs the launcher in the background (pid in
                            SPOOL/launcher.pid) and returns
  launcher.py stop SPOOL    stops it and every stand-in it started
"""
import json
import os
import signal
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def write_whole(path, text):
    with open(path + ".part", "w") as f:
        f.write(text)
    os.replace(path + ".part", path)


def start_one(spool, name):
    request = json.load(open(os.path.join(spool, name + ".start")))
    base = os.path.join(spool, name)
    certs = os.path.join(base, "certs")
    record = os.path.join(base, "record")
    os.makedirs(record, exist_ok=True)
    subprocess.run([os.path.join(HERE, "make-ca.sh"), certs, "--san", request["san"], "--rsa"],
                   check=True, stdout=subprocess.DEVNULL)
    process = subprocess.Popen(
        [sys.executable, os.path.join(HERE, "standin.py"), "--cert-dir", certs,
         "--record-dir", record, "--mode", request["mode"],
         "--mode-file", os.path.join(base, "mode"), "--body-file", os.path.join(base, "body")]
        + request["args"], stdout=subprocess.PIPE, text=True)
    port = process.stdout.readline().strip()
    if not port.isdigit():
        process.kill()
        process.wait()
        raise RuntimeError("the stand-in did not start")
    return process, port


def serve(spool):
    running = {}

    def stop_all(*_):
        for process in running.values():
            process.terminate()
        for process in running.values():
            process.wait()
        sys.exit(0)

    signal.signal(signal.SIGTERM, stop_all)
    while True:
        for entry in sorted(os.listdir(spool)):
            name, ext = os.path.splitext(entry)
            if ext == ".start" and not os.path.exists(os.path.join(spool, name + ".port")):
                try:
                    running[name], port = start_one(spool, name)
                except Exception as e:  # the test reads the reason
                    port = "error: %s" % e
                write_whole(os.path.join(spool, name + ".port"), port)
            elif ext == ".stop" and not os.path.exists(os.path.join(spool, name + ".stopped")):
                process = running.pop(name, None)
                if process:
                    process.terminate()
                    process.wait()
                write_whole(os.path.join(spool, name + ".stopped"), "")
        time.sleep(0.02)


def main():
    command, spool = sys.argv[1], os.path.abspath(sys.argv[2])
    pid_file = os.path.join(spool, "launcher.pid")
    if command == "start":
        os.makedirs(spool, exist_ok=True)
        log = open(os.path.join(spool, "launcher.log"), "w")
        process = subprocess.Popen([sys.executable, os.path.abspath(__file__), "serve", spool],
                                   stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                   start_new_session=True)
        write_whole(pid_file, str(process.pid))
    elif command == "serve":
        serve(spool)
    elif command == "stop":
        try:
            pid = int(open(pid_file).read())
        except (OSError, ValueError):
            return
        try:
            os.kill(pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
        for _ in range(100):
            try:
                os.kill(pid, 0)
            except ProcessLookupError:
                break
            time.sleep(0.05)
        os.remove(pid_file)
    else:
        sys.exit("usage: launcher.py start|stop SPOOL")


if __name__ == "__main__":
    main()
