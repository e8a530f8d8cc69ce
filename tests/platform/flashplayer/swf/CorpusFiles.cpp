#include "CorpusFiles.h"

#include <fstream>
#include <map>
#include <sstream>

namespace swftest {

namespace {

using Row = std::map<std::string, std::string>;

std::vector<Row> readManifest(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::vector<Row> rows;
    std::string line;
    std::vector<std::string> header;
    auto split = [](const std::string& s, char sep) {
        std::vector<std::string> out;
        std::stringstream ss(s);
        std::string f;
        while (std::getline(ss, f, sep))
            out.push_back(f);
        if (!s.empty() && s.back() == sep)
            out.push_back("");
        return out;
    };
    while (std::getline(in, line)) {
        auto fields = split(line, '\t');
        if (header.empty()) {
            header = fields;
            continue;
        }
        Row row;
        for (std::size_t i = 0; i < header.size() && i < fields.size(); ++i)
            row[header[i]] = fields[i];
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::uint16_t> parseCodes(const std::string& s)
{
    std::vector<std::uint16_t> codes;
    std::stringstream ss(s);
    std::string f;
    while (std::getline(ss, f, ','))
        if (!f.empty())
            codes.push_back(std::uint16_t(std::stoi(f)));
    return codes;
}

int intOr(const Row& r, const std::string& key, int fallback)
{
    auto it = r.find(key);
    if (it == r.end() || it->second.empty())
        return fallback;
    return std::stoi(it->second);
}

CorpusFile fromRow(const Row& r, const std::string& name, const std::filesystem::path& path)
{
    CorpusFile f;
    f.name = name;
    f.path = path;
    f.compression = r.at("compression");
    f.version = intOr(r, "swf_version", 0);
    f.frames = intOr(r, "frames", -1);
    auto fps = r.find("fps");
    f.fps = fps != r.end() && !fps->second.empty() ? std::stod(fps->second) : -1;
    f.width = intOr(r, "width", -1);
    f.height = intOr(r, "height", -1);
    auto stage = r.find("stage");
    if (stage != r.end() && stage->second.find('x') != std::string::npos) {
        f.width = std::stoi(stage->second);
        f.height = std::stoi(stage->second.substr(stage->second.find('x') + 1));
    }
    f.tagCodes = parseCodes(r.at("tag_codes"));
    auto notes = r.find("notes");
    f.expectError = notes != r.end() && notes->second.find("does not match header length") != std::string::npos;
    return f;
}

} // namespace

std::vector<CorpusFile> corpusFiles()
{
    const std::filesystem::path root = TOVRANE_CORPUS_DIR;
    std::vector<CorpusFile> files;
    for (const Row& r : readManifest(root / "swf/MANIFEST.tsv"))
        files.push_back(fromRow(r, r.at("case"), root / "swf" / r.at("case") / "test.swf"));
    for (const Row& r : readManifest(root / "swf-parser/MANIFEST.tsv"))
        files.push_back(fromRow(r, r.at("file"), root / "swf-parser" / r.at("file")));
    for (const Row& r : readManifest(root / "swf-npm/MANIFEST.tsv"))
        if (r.at("duplicate_of").empty())
            files.push_back(fromRow(r, r.at("file"), root / "swf-npm" / r.at("file")));
    return files;
}

std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace swftest
