// ka1gen: writes KA1 aeronautical databases from a text description (see ka1_description.h).
//
//   ka1gen [switches] <description> <out.ka1> [<out2.ka1> ...]   one output per described file
// Switches damage the first file: --truncate N, --count50001, --bad-magic, --bad-offset,
// --bad-twelve, --bad-airspace-offset, --version N; --id12 puts ids 12 and 9 without payload at
// the start of every region stream.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/ka1gen/ka1_writer.h"

int main(int argc, char** argv) {
  ka1gen::Damage damage;
  long version = -1;
  bool id12 = false;
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--truncate" && i + 1 < argc) damage.truncateTo = std::atoll(argv[++i]);
    else if (a == "--count50001") damage.airportCount50001 = true;
    else if (a == "--bad-magic") damage.badMagic = true;
    else if (a == "--bad-offset") damage.badOffset = true;
    else if (a == "--bad-twelve") damage.badHeaderValue = true;
    else if (a == "--bad-airspace-offset") damage.badAirspaceOffset = true;
    else if (a == "--version" && i + 1 < argc) version = std::atol(argv[++i]);
    else if (a == "--id12") id12 = true;
    else if (a.rfind("--", 0) == 0) {
      std::fprintf(stderr, "ka1gen: unknown switch %s\n", a.c_str());
      return 2;
    } else {
      args.push_back(a);
    }
  }
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: ka1gen [switches] <description> <out.ka1> [<out2.ka1> ...]\n");
    return 2;
  }
  std::ifstream in(args[0], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "ka1gen: cannot read %s\n", args[0].c_str());
    return 1;
  }
  std::stringstream text;
  text << in.rdbuf();
  std::vector<ka1gen::File> files;
  std::string error;
  if (!ka1gen::ParseDescription(text.str(), files, error)) {
    std::fprintf(stderr, "ka1gen: %s: %s\n", args[0].c_str(), error.c_str());
    return 1;
  }
  if (files.size() != args.size() - 1) {
    std::fprintf(stderr, "ka1gen: %zu files described, %zu outputs named\n", files.size(), args.size() - 1);
    return 2;
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    ka1gen::File f = files[i];
    if (id12)
      for (auto& r : f.regions) r.emptyIds = true;
    ka1gen::Damage d = i == 0 ? damage : ka1gen::Damage{};
    if (i == 0 && version >= 0) f.version = static_cast<std::int32_t>(version);
    std::vector<std::uint8_t> bytes = ka1gen::WriteKa1(f, d);
    std::ofstream out(args[i + 1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "ka1gen: cannot write %s\n", args[i + 1].c_str());
      return 1;
    }
  }
  return 0;
}
