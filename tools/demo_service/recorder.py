"""Keeps what the service saw, in memory and as JSON lines on disk."""

import json
import os
import threading
import time

RECORD_FILE = "requests.jsonl"


class Recorder:
    def __init__(self, directory):
        os.makedirs(directory, exist_ok=True)
        self.path = os.path.join(directory, RECORD_FILE)
        self._lock = threading.Lock()
        self._events = []
        # Each run starts with an empty record so tests never see stale events.
        self._file = open(self.path, "w", encoding="utf-8")

    def record(self, event):
        event = dict(event)
        event.setdefault("t", time.time())
        line = json.dumps(event, ensure_ascii=False)
        with self._lock:
            self._events.append(event)
            if self._file is not None:
                self._file.write(line + "\n")
                self._file.flush()

    def events(self):
        with self._lock:
            return list(self._events)

    def reset(self):
        # The file and the list must stay the same list.
        with self._lock:
            self._events.clear()
            if self._file is not None:
                self._file.seek(0)
                self._file.truncate()
                self._file.flush()

    def close(self):
        with self._lock:
            if self._file is not None:
                self._file.close()
                self._file = None
