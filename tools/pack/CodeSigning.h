// Authenticode signing of a packed program with osslsigncode, run as a child
// process, and the check of the signed file with osslsigncode's own verify.
#pragma once

#include <string>

namespace tidemark::pack {

struct SigningRequest {
  std::string certificate;   // a PKCS#12 file with the key and its certificates
  std::string passwordFile;  // empty: the file has no password
  std::string timestampUrl;  // empty: no time-stamp
  std::string description;   // the "program name" Windows shows in its prompts, UTF-8; may be empty
};

// True where this build can run the signing tool at all.
bool SigningSupported();

// Signs `input` into `output` (a name that must not exist yet) with SHA-256,
// then verifies `output`. The check trusts the system's certificate
// authorities and the certificates in the PKCS#12 file (read with openssl
// into `trustFile`, also a new name): it proves that the file carries an
// intact signature of that certificate, not that Windows will trust the
// certificate. False with a one-line reason and the tool's last words.
bool SignAndVerify(const SigningRequest& request, const std::string& input, const std::string& output,
                   const std::string& trustFile, std::string& error);

}  // namespace tidemark::pack
