"""Makes the certificates of the TLS tests in the folder given.

trusted-ca.pem   an authority the tests trust (SSL_CERT_FILE points at it)
server.pem/.key  made out by it for localhost, 127.0.0.1 and ::1
other.pem/.key   made out by it for other.example only
rogue.pem/.key   made out for localhost by an authority nobody trusts
Usage: tls_make_certificates.py FOLDER
"""
import datetime
import ipaddress
import os
import sys

from cryptography import x509
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import ec
from cryptography.x509.oid import NameOID


def name(text):
    return x509.Name([x509.NameAttribute(NameOID.COMMON_NAME, text)])


def certificate(subject, key, issuer, issuer_key, is_ca, names=()):
    now = datetime.datetime.now(datetime.timezone.utc)
    builder = (x509.CertificateBuilder().subject_name(name(subject)).issuer_name(name(issuer))
               .public_key(key.public_key()).serial_number(x509.random_serial_number())
               .not_valid_before(now - datetime.timedelta(days=1)).not_valid_after(now + datetime.timedelta(days=30))
               .add_extension(x509.BasicConstraints(ca=is_ca, path_length=None), critical=True))
    if names:
        entries = []
        for entry in names:
            try:
                entries.append(x509.IPAddress(ipaddress.ip_address(entry)))
            except ValueError:
                entries.append(x509.DNSName(entry))
        builder = builder.add_extension(x509.SubjectAlternativeName(entries), critical=False)
    return builder.sign(issuer_key, hashes.SHA256())


def write(folder, stem, cert, key):
    with open(os.path.join(folder, stem + ".pem"), "wb") as out:
        out.write(cert.public_bytes(serialization.Encoding.PEM))
    if key is not None:
        with open(os.path.join(folder, stem + ".key"), "wb") as out:
            out.write(key.private_bytes(serialization.Encoding.PEM, serialization.PrivateFormat.PKCS8,
                                        serialization.NoEncryption()))


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    ca_key = ec.generate_private_key(ec.SECP256R1())
    ca = certificate("Quillory Test Authority", ca_key, "Quillory Test Authority", ca_key, True)
    write(folder, "trusted-ca", ca, None)
    for stem, names in (("server", ("localhost", "127.0.0.1", "::1")), ("other", ("other.example",))):
        key = ec.generate_private_key(ec.SECP256R1())
        write(folder, stem, certificate(names[0], key, "Quillory Test Authority", ca_key, False, names), key)
    rogue_ca_key = ec.generate_private_key(ec.SECP256R1())
    key = ec.generate_private_key(ec.SECP256R1())
    write(folder, "rogue", certificate("localhost", key, "Unknown Authority", rogue_ca_key, False, ("localhost",)), key)


if __name__ == "__main__":
    main()
