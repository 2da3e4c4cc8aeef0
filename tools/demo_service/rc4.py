"""Classic RC4, used to cipher the line list the way the client expects it."""


def rc4(key: bytes, data: bytes) -> bytes:
    """Cipher (or decipher) data with one keystream from its first byte on."""
    if not key:
        raise ValueError("RC4 key must not be empty")
    s = list(range(256))
    j = 0
    keylen = len(key)
    for i in range(256):
        j = (j + s[i] + key[i % keylen]) & 0xFF
        s[i], s[j] = s[j], s[i]

    out = bytearray(len(data))
    i = j = 0
    for n, byte in enumerate(data):
        i = (i + 1) & 0xFF
        j = (j + s[i]) & 0xFF
        s[i], s[j] = s[j], s[i]
        out[n] = byte ^ s[(s[i] + s[j]) & 0xFF]
    return bytes(out)
