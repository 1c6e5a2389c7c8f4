"""A pointer for a headless wlroots compositor, which has no input devices of its own.

Speaks just enough of the Wayland wire protocol to bind zwlr_virtual_pointer_manager_v1, make one
virtual pointer and move and click it in layout coordinates. The pointer stays for the whole
session, so the compositor sees one mouse rather than a new one per click.
"""

import socket
import struct
import time

# Object ids: 1 is the display, 2 our registry; the server wants the rest handed out in order,
# with no gaps.
DISPLAY, REGISTRY = 1, 2
BTN_LEFT, BTN_RIGHT = 0x110, 0x111
MANAGER = "zwlr_virtual_pointer_manager_v1"


def _string(text):
    data = text.encode() + b"\0"
    return struct.pack("<I", len(data)) + data + b"\0" * (-len(data) % 4)


class VirtualPointer:
    def __init__(self, socket_path, width, height):
        self.width, self.height = width, height
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(socket_path)
        self.buffer = b""
        self.next_id = REGISTRY
        globals_ = {}
        self._send(DISPLAY, 1, struct.pack("<I", REGISTRY))  # wl_display.get_registry
        self._roundtrip(lambda obj, op, body: obj == REGISTRY and op == 0 and
                        globals_.update([self._global(body)]))
        if MANAGER not in globals_:
            raise RuntimeError(f"the compositor offers no {MANAGER}")
        self.manager = self._new_id()
        self._send(REGISTRY, 0, struct.pack("<I", globals_[MANAGER]) + _string(MANAGER) +
                   struct.pack("<II", 1, self.manager))  # wl_registry.bind
        self.pointer = self._new_id()
        # create_virtual_pointer with no seat: the compositor's default one.
        self._send(self.manager, 0, struct.pack("<II", 0, self.pointer))
        self._roundtrip()

    @staticmethod
    def _global(body):
        name, length = struct.unpack_from("<II", body)
        return body[8:8 + length - 1].decode(), name

    def _new_id(self):
        self.next_id += 1
        return self.next_id

    def _send(self, obj, opcode, args=b""):
        self.sock.sendall(struct.pack("<II", obj, (8 + len(args)) << 16 | opcode) + args)

    def _read_event(self):
        def complete():
            return (len(self.buffer) >= 8 and
                    len(self.buffer) >= struct.unpack_from("<I", self.buffer, 4)[0] >> 16)

        while not complete():
            chunk = self.sock.recv(65536)
            if not chunk:
                raise ConnectionError("the compositor closed the connection")
            self.buffer += chunk
        obj, size_op = struct.unpack_from("<II", self.buffer)
        size = size_op >> 16
        body, self.buffer = self.buffer[8:size], self.buffer[size:]
        return obj, size_op & 0xFFFF, body

    def _roundtrip(self, on_event=lambda *_: None):
        """Waits until the compositor has handled every request sent so far."""
        callback = self._new_id()
        self._send(DISPLAY, 0, struct.pack("<I", callback))  # wl_display.sync
        while True:
            obj, opcode, body = self._read_event()
            if obj == DISPLAY and opcode == 0:
                code, = struct.unpack_from("<I", body, 4)
                raise RuntimeError(f"Wayland protocol error {code}: {body[12:].rstrip(bytes(1))}")
            if obj == callback:
                return
            on_event(obj, opcode, body)

    @staticmethod
    def _stamp():
        # Real times: toolkits tell a double click from two clicks by these.
        return int(time.monotonic() * 1000) & 0xFFFFFFFF

    def move(self, x, y):
        self._send(self.pointer, 1, struct.pack("<IIIII", self._stamp(), x, y,
                                                self.width, self.height))  # motion_absolute
        self._send(self.pointer, 4)  # frame
        self._roundtrip()

    def button(self, pressed, button=BTN_LEFT):
        self._send(self.pointer, 2, struct.pack("<III", self._stamp(), button, int(pressed)))
        self._send(self.pointer, 4)
        self._roundtrip()

    def click(self, x, y, button=BTN_LEFT):
        self.move(x, y)
        self.button(True, button)
        self.button(False, button)

    def close(self):
        self.sock.close()
