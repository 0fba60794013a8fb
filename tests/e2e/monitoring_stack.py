#!/usr/bin/env python3
"""A monitoring chain on loopback for end-to-end runs: Prometheus' node exporter reading a
textfile folder, Prometheus scraping it every second with given alert rules, Alertmanager
routing every alert at once to a webhook receiver of our own, which appends each delivery to
a file. Every program listens on 127.0.0.1 only, on a port that was free a moment before.

    monitoring_stack.py start STATE_DIR TEXTFILE_DIR RULES...   (returns once all answer)
    monitoring_stack.py wait STATE_DIR ALERT firing|resolved SECONDS [label=value...]
    monitoring_stack.py active STATE_DIR ALERT       (prints the active alerts' labels)
    monitoring_stack.py labels STATE_DIR METRIC      (the series Prometheus holds, as JSON)
    monitoring_stack.py deliveries STATE_DIR         (every delivery received, one a line)
    monitoring_stack.py stop STATE_DIR               (ends what start started)
    monitoring_stack.py hook PORT FILE               (the receiver itself; start runs it)
"""
import http.server
import json
import os
import signal
import socket
import subprocess
import sys
import time
import urllib.parse
import urllib.request

PROGRAMS_ANSWER_WITHIN = 30


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def serve_hook(port, path):
    class Receiver(http.server.BaseHTTPRequestHandler):
        def do_POST(self):
            body = self.rfile.read(int(self.headers.get("Content-Length", "0")))
            with open(path, "ab") as out:
                out.write(json.dumps(json.loads(body)).encode() + b"\n")
            self.send_response(200)
            self.end_headers()

        def do_GET(self):  # start's readiness probe
            self.send_response(200)
            self.end_headers()

        def log_message(self, *args):
            pass

    http.server.HTTPServer(("127.0.0.1", port), Receiver).serve_forever()


def write_configs(state, ports, rules):
    prometheus = {
        "global": {"scrape_interval": "1s", "evaluation_interval": "1s"},
        "rule_files": [os.path.abspath(r) for r in rules],
        "alerting": {"alertmanagers": [
            {"static_configs": [{"targets": ["127.0.0.1:%d" % ports["alertmanager"]]}]}]},
        "scrape_configs": [{"job_name": "windows", "static_configs": [
            {"targets": ["127.0.0.1:%d" % ports["exporter"]]}]}],
    }
    # Each alert its own group, delivered after a second and again at once when it resolves.
    alertmanager = {
        "route": {"receiver": "hook", "group_by": ["..."], "group_wait": "1s",
                  "group_interval": "1s", "repeat_interval": "1h"},
        "receivers": [{"name": "hook", "webhook_configs": [
            {"url": "http://127.0.0.1:%d/" % ports["hook"], "send_resolved": True}]}],
    }
    # JSON is YAML: both programs read these as they are.
    for name, config in (("prometheus.yml", prometheus), ("alertmanager.yml", alertmanager)):
        with open(os.path.join(state, name), "w") as out:
            json.dump(config, out, indent=1)


def answers(url):
    try:
        with urllib.request.urlopen(url, timeout=2) as reply:
            return reply.status == 200
    except OSError:
        return False


def start(state, textfiles, rules):
    os.makedirs(state, exist_ok=True)
    ports = {name: free_port() for name in ("exporter", "prometheus", "alertmanager", "hook")}
    write_configs(state, ports, rules)
    deliveries = os.path.join(state, "deliveries.jsonl")
    open(deliveries, "w").close()
    commands = {
        "hook": [sys.executable, os.path.abspath(__file__), "hook", str(ports["hook"]), deliveries],
        "exporter": ["prometheus-node-exporter", "--web.listen-address=127.0.0.1:%d" % ports["exporter"],
                     "--collector.disable-defaults", "--collector.textfile",
                     "--collector.textfile.directory=" + textfiles],
        "alertmanager": ["prometheus-alertmanager", "--config.file=" + os.path.join(state, "alertmanager.yml"),
                         "--storage.path=" + os.path.join(state, "am-data"),
                         "--web.listen-address=127.0.0.1:%d" % ports["alertmanager"],
                         "--cluster.listen-address="],
        "prometheus": ["prometheus", "--config.file=" + os.path.join(state, "prometheus.yml"),
                       "--storage.tsdb.path=" + os.path.join(state, "tsdb"),
                       "--web.listen-address=127.0.0.1:%d" % ports["prometheus"]],
    }
    pids = {}
    for name, command in commands.items():
        with open(os.path.join(state, name + ".log"), "wb") as log:
            pids[name] = subprocess.Popen(command, stdout=log, stderr=subprocess.STDOUT,
                                          stdin=subprocess.DEVNULL, start_new_session=True).pid
    with open(os.path.join(state, "state.json"), "w") as out:
        json.dump({"ports": ports, "pids": pids, "deliveries": deliveries}, out)
    ready = {
        "hook": "http://127.0.0.1:%d/" % ports["hook"],
        "exporter": "http://127.0.0.1:%d/metrics" % ports["exporter"],
        "alertmanager": "http://127.0.0.1:%d/-/ready" % ports["alertmanager"],
        "prometheus": "http://127.0.0.1:%d/-/ready" % ports["prometheus"],
    }
    deadline = time.time() + PROGRAMS_ANSWER_WITHIN
    for name, url in ready.items():
        while not answers(url):
            if time.time() > deadline:
                print("%s does not answer; its log: %s" % (name, os.path.join(state, name + ".log")))
                return 1
            time.sleep(0.2)
    print("monitoring on 127.0.0.1: exporter %(exporter)d, prometheus %(prometheus)d, "
          "alertmanager %(alertmanager)d, webhook %(hook)d" % ports)
    return 0


def load(state):
    with open(os.path.join(state, "state.json")) as f:
        return json.load(f)


def deliveries(state):
    with open(load(state)["deliveries"]) as f:
        return [json.loads(line) for line in f if line.strip()]


def describe(delivery):
    return "; ".join("%s %s {%s}" % (a["status"], a["labels"]["alertname"], ", ".join(
        "%s=%s" % (k, v) for k, v in sorted(a["labels"].items()) if k != "alertname"))
        for a in delivery["alerts"])


def matches(alert, name, status, wanted):
    labels = alert["labels"]
    return (labels.get("alertname") == name and alert["status"] == status and
            all(labels.get(k) == v for k, v in wanted.items()))


def wait(state, name, status, seconds, wanted):
    deadline = time.time() + float(seconds)
    while True:
        for delivery in deliveries(state):
            if any(matches(a, name, status, wanted) for a in delivery["alerts"]):
                print("delivered: " + describe(delivery))
                return 0
        if time.time() > deadline:
            print("no %s %s %s within %s s" % (status, name, wanted, seconds))
            return 1
        time.sleep(0.5)


def query(state, path, **params):
    url = "http://127.0.0.1:%d%s?%s" % (load(state)["ports"]["prometheus"], path,
                                        urllib.parse.urlencode(params))
    with urllib.request.urlopen(url, timeout=5) as reply:
        return json.load(reply)["data"]


def active(state, name):
    for alert in query(state, "/api/v1/alerts")["alerts"]:
        if alert["labels"]["alertname"] == name:
            print("%s %s" % (alert["state"], json.dumps(alert["labels"], ensure_ascii=False, sort_keys=True)))
    return 0


def labels(state, metric):
    for series in query(state, "/api/v1/series", **{"match[]": metric}):
        print(json.dumps(series, ensure_ascii=False, sort_keys=True))
    return 0


def stop(state):
    for name, pid in load(state)["pids"].items():
        try:
            os.killpg(pid, signal.SIGTERM)  # each leads a session of its own (start_new_session)
        except ProcessLookupError:
            pass  # it has ended already
    return 0


def main(argv):
    command, rest = argv[1], argv[2:]
    if command == "hook":
        serve_hook(int(rest[0]), rest[1])
    if command == "start":
        return start(rest[0], rest[1], rest[2:])
    if command == "wait":
        return wait(rest[0], rest[1], rest[2], rest[3], dict(a.split("=", 1) for a in rest[4:]))
    if command == "active":
        return active(rest[0], rest[1])
    if command == "labels":
        return labels(rest[0], rest[1])
    if command == "deliveries":
        for delivery in deliveries(rest[0]):
            print(describe(delivery))
        return 0
    if command == "stop":
        return stop(rest[0])
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
