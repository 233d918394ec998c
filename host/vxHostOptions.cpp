// Reading the command line of vxhost.
#include "host/vxHostOptions.h"

#include <stdexcept>

bool TvxHostOptions::HasSettings() const {
  return Server || Port || Sender || SenderName || Recipients || Subject || Login || PasswordFile || Tls || Sasl ||
         Zip || NoFieldList || SendEml;
}

bool TvxHostOptions::HasDocument() const {
  if (Configure) return false;
  return !Fields.empty() || !Files.empty() || HasSettings() || !ConfigFile.empty() ||
         !(AskVersion || AskTempPath || AskConfig || Configure);
}

TvxHostOptions ParseHostOptions(const std::vector<std::string>& Args) {
  TvxHostOptions o;
  bool onlyFiles = false;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& a = Args[i];
    if (onlyFiles || a.empty() || a[0] != '-' || a == "-") {
      o.Files.push_back(a);
      continue;
    }
    if (a == "--") {
      onlyFiles = true;
      continue;
    }
    // "--name=value" or "--name value".
    std::string name = a, inlineValue;
    bool hasInline = false;
    if (const size_t eq = a.find('='); eq != std::string::npos && a.rfind("--", 0) == 0) {
      name = a.substr(0, eq);
      inlineValue = a.substr(eq + 1);
      hasInline = true;
    }
    const auto value = [&]() -> std::string {
      if (hasInline) return inlineValue;
      if (i + 1 >= Args.size()) throw std::invalid_argument(name + " needs a value");
      return Args[++i];
    };
    const auto flag = [&](bool& target) {
      if (hasInline) throw std::invalid_argument(name + " takes no value");
      target = true;
    };
    if (name == "--help" || name == "-h") flag(o.Help);
    else if (name == "--library") o.Library = value();
    else if (name == "--config") o.ConfigFile = value();
    else if (name == "--server") o.Server = value();
    else if (name == "--port") o.Port = value();
    else if (name == "--sender") o.Sender = value();
    else if (name == "--sender-name") o.SenderName = value();
    else if (name == "--recipients") o.Recipients = value();
    else if (name == "--subject") o.Subject = value();
    else if (name == "--login") o.Login = value();
    else if (name == "--password-file") o.PasswordFile = value();
    else if (name == "--password") throw std::invalid_argument(
        "--password is not taken: a password on the command line is visible to every user of the machine; "
        "use the environment variable VXHOST_PASSWORD or --password-file FILE");
    else if (name == "--tls") flag(o.Tls);
    else if (name == "--sasl") flag(o.Sasl);
    else if (name == "--zip") flag(o.Zip);
    else if (name == "--no-field-list") flag(o.NoFieldList);
    else if (name == "--send-eml") flag(o.SendEml);
    else if (name == "--field") {
      const std::string field = value();
      o.Fields.push_back(field);
    } else if (name == "--version-text") flag(o.AskVersion);
    else if (name == "--temp-path") flag(o.AskTempPath);
    else if (name == "--show-config") flag(o.AskConfig);
    else if (name == "--configure") flag(o.Configure);
    else throw std::invalid_argument("unknown option " + name + " (see --help)");
  }
  if (!o.ConfigFile.empty() && o.HasSettings())
    throw std::invalid_argument("--config and the setting flags (--server, --port, ...) exclude each other");
  return o;
}

std::string HostUsage() {
  return R"(Usage: vxhost [OPTION]... [FILE]...
Loads the e-mail export library and exports one document: its fields
become the mail's values and placeholders, its files the attachments.

The commands sent: 100 (init), 110 (configuration string, when given),
200 (new document), 400 per --field, 500 per FILE, 600 (export), 900 (done).
The library deletes the files it is handed after the export; vxhost hands
it copies, so the FILEs given here stay where they are.

  --library PATH        the export library (default: libvxsmtpexport.so
                        in the folder of vxhost)
  --config FILE         the configuration string, as command 110 takes it
Or the configuration built from these flags (keys in brackets):
  --server HOST         SMTP server (SMTPSERVER)
  --port N              SMTP port (SMTPPORT; 25 when not given)
  --sender ADDRESS      sender address (FROMADDRESS)
  --sender-name NAME    sender name (FROMNAME)
  --recipients LIST     recipients, separated by "," (RECIPIENT)
  --subject TEXT        subject; "%NAME" takes the field NAME (SUBJECT)
  --tls                 STARTTLS when the server offers it (USETLS)
  --sasl                log in through SASL LOGIN (USESASL)
  --login USER          log in as USER (AUTHENTICATION, USERNAME); the
                        password comes from the environment variable
                        VXHOST_PASSWORD or from --password-file, never
                        from the command line
  --password-file FILE  the password: the first line of FILE
  --zip                 pack the attachments into one zip file (ZIPMAILATM)
  --no-field-list       no list of the fields in front of the body (INSERTFLDS)
  --send-eml            relay ".eml" files as they are (SENDEMLS)
The document:
  --field NAME=VALUE    one field (repeat it); the names SUBJECT, BODY,
                        RECIPIENT, CC, BCC, FROM and FROMNAME set those values
  FILE...               the files to attach
Questions (printed on standard output):
  --version-text        the library's version text (command 105)
  --temp-path           the library's temporary folder (command 120)
  --show-config         the configuration string it holds (command 850)
  --configure           open the configuration dialog (command 800) with the
                        configuration given (--config or the setting flags)
                        and print the string it makes on OK; needs a
                        display; Cancel prints nothing and exits with 3
  --help                this text

With only questions given, no document is exported.
Exit status: 0 on success; 1 when a command fails (its text on standard
error); 2 on a wrong command line; 3 when the dialog was cancelled.
)";
}
