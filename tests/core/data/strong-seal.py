#!/usr/bin/python3
"""Seals a file in the strong container layout, independently of the project.

Usage: strong-seal.py PLAINTEXT-FILE PASSWORD OPSLIMIT MEMLIMIT-KIB SALT-HEX NONCE-HEX
Writes the container to standard output. Uses python3-nacl (libsodium).
"""
import struct
import sys

from nacl import bindings, pwhash

plain_file, password, ops, mem_kib, salt_hex, nonce_hex = sys.argv[1:7]
salt, nonce = bytes.fromhex(salt_hex), bytes.fromhex(nonce_hex)
header = b"\x89KVCRY\r\n" + bytes([2, 1]) + struct.pack("<II", int(ops), int(mem_kib)) + salt + nonce
key = pwhash.argon2id.kdf(32, password.encode("utf-8"), salt, opslimit=int(ops), memlimit=int(mem_kib) * 1024)
with open(plain_file, "rb") as f:
    plain = f.read()
sealed = bindings.crypto_aead_xchacha20poly1305_ietf_encrypt(plain, header, nonce, key)
sys.stdout.buffer.write(header + sealed)
