// trust_ca.exe CA.pem: puts the certificate into the machine's "Root" store (Wine 8's certutil
// is a stub). Older certificates of the same subject go first, so the store keeps one test CA.
// The store is opened through its registry provider: Wine 8's system-store collection took the
// first add into the registry, but a later delete and add never reached it.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Store {
    HCERTSTORE handle = nullptr;
    ~Store()
    {
        if (handle) {
            ::CertCloseStore(handle, 0);
        }
    }
};

struct Context {
    PCCERT_CONTEXT cert = nullptr;
    ~Context()
    {
        if (cert) {
            ::CertFreeCertificateContext(cert);
        }
    }
};

int Fail(const char* what)
{
    (void)std::fprintf(stderr, "trust_ca: %s failed (error %lu)\n", what, ::GetLastError());
    return 1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        (void)std::fprintf(stderr, "usage: trust_ca CA.pem\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    const std::string pem((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    DWORD size = 0;
    if (pem.empty()
        || !::CryptStringToBinaryA(
            pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr)) {
        return Fail("reading the PEM file");
    }
    std::vector<BYTE> der(size);
    if (!::CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER, der.data(),
            &size, nullptr, nullptr)) {
        return Fail("decoding the PEM file");
    }
    Context added;
    added.cert = ::CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), size);
    if (!added.cert) {
        return Fail("parsing the certificate");
    }
    Store root;
    root.handle = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_W, 0, 0,
        CERT_SYSTEM_STORE_LOCAL_MACHINE | CERT_STORE_OPEN_EXISTING_FLAG, L"Root");
    if (!root.handle) {
        return Fail("opening the machine's Root store");
    }
    int removed = 0;
    for (;;) {
        // CertDeleteCertificateFromStore frees the context it is given, found or not.
        PCCERT_CONTEXT old = ::CertFindCertificateInStore(
            root.handle, X509_ASN_ENCODING, 0, CERT_FIND_SUBJECT_NAME, &added.cert->pCertInfo->Subject, nullptr);
        if (!old) {
            break;
        }
        if (!::CertDeleteCertificateFromStore(old)) {
            return Fail("removing an older test CA");
        }
        ++removed;
    }
    if (!::CertAddEncodedCertificateToStore(
            root.handle, X509_ASN_ENCODING, der.data(), size, CERT_STORE_ADD_REPLACE_EXISTING, nullptr)) {
        return Fail("adding the certificate");
    }
    (void)std::printf("trust_ca: added, %d older removed\n", removed);
    return 0;
}
