#include "EnvFolder.h"

#include "client/env/PersonFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Registration numbers, the first two in one bucket, the third in another.
struct SameBucket {
    std::string a, b, other;
};

SameBucket FindNumbers() {
    SameBucket n;
    n.a = "8001011234567";
    const size_t bucket = PersonMap::BucketOf(n.a);
    for (long i = 8001011234568; n.b.empty() || n.other.empty(); ++i) {
        const std::string s = std::to_string(i);
        if (PersonMap::BucketOf(s) == bucket && n.b.empty()) {
            n.b = s;
        } else if (PersonMap::BucketOf(s) != bucket && n.other.empty()) {
            n.other = s;
        }
    }
    return n;
}

// Numbers that all fall into different buckets.
std::vector<std::string> DistinctBuckets(size_t count) {
    std::vector<std::string> numbers;
    std::vector<bool> used(PersonMap::kBucketCount);
    for (long i = 8001011234567; numbers.size() < count; i += 7919) {
        const std::string s = std::to_string(i);
        if (!used[PersonMap::BucketOf(s)]) {
            used[PersonMap::BucketOf(s)] = true;
            numbers.push_back(s);
        }
    }
    return numbers;
}

std::unique_ptr<Person> MakePerson(const std::string& ssn, const std::string& name) {
    auto p = std::make_unique<Person>();
    p->Ssn = ssn;
    p->Name = name;
    p->Zip = "135080";
    p->Addr1 = "\xBC\xAD\xBF\xEF\xBD\xC3 \xB0\xAD\xB3\xB2\xB1\xB8"; // 서울시 강남구
    p->Addr2 = "12-3 [101]";
    p->Tel1 = "02";
    p->Tel2 = "555";
    p->Tel3 = "1234";
    p->CaseNote = "line one\r\nline two";
    p->Cell1 = "010";
    p->Cell2 = "9876";
    p->Cell3 = "5432";
    return p;
}

void Add(Environment& env, std::unique_ptr<Person> p) {
    const std::string key = p->Ssn;
    env.PersonMap().Insert(key, std::move(p));
}

std::vector<std::string> Names(const Environment& env) {
    std::vector<std::string> names;
    for (const auto& e : env.PersonMap()) {
        names.push_back(e.value->Name);
    }
    return names;
}

// What anyone following the file format writes: one-byte prefixes for short strings.
std::string Record(const Environment& env, const std::vector<std::string>& plain) {
    std::string out;
    for (const std::string& field : plain) {
        const std::string c = *env.EncryptText(field);
        out.push_back(static_cast<char>(c.size()));
        out += c;
    }
    return out;
}

std::vector<std::string> Fields(const std::string& ssn, const std::string& name) {
    std::vector<std::string> f(14);
    f[Person::kSsn] = ssn;
    f[Person::kName] = name;
    return f;
}

} // namespace

TEST(PersonStore, RoundTripsZeroToFourPersons) {
    const std::vector<std::string> numbers = DistinctBuckets(4);
    for (size_t count = 0; count <= 4; ++count) {
        EnvFolder dir;
        std::vector<std::string> order;
        {
            auto env = dir.Start();
            ASSERT_TRUE(env->IsReady());
            for (size_t i = 0; i < count; ++i) {
                // 홍길동 and a number to tell them apart
                Add(*env, MakePerson(numbers[i], "\xC8\xAB\xB1\xE6\xB5\xBF" + std::to_string(i)));
            }
            ASSERT_TRUE(env->SavePersons());
            order = Names(*env);
            for (const auto& e : env->PersonMap()) {
                EXPECT_EQ(e.value->StoredSsn().size(), 24u); // the stored forms are refreshed by the save
            }
        }
        auto env = dir.Start();
        ASSERT_TRUE(env->IsReady());
        EXPECT_EQ(env->PersonCount(), static_cast<int>(count));
        if (count == 0) {
            EXPECT_EQ(dir.Read("Person.std"), "");
            continue;
        }
        // Different buckets keep their order.
        EXPECT_EQ(Names(*env), order);
        for (size_t i = 0; i < count; ++i) {
            const std::unique_ptr<Person>* p = env->PersonMap().Find(numbers[i]);
            ASSERT_NE(p, nullptr);
            const auto expected = MakePerson(numbers[i], "\xC8\xAB\xB1\xE6\xB5\xBF" + std::to_string(i));
            for (int f = 0; f < Person::kFieldCount; ++f) {
                EXPECT_EQ((*p)->Plain(Person::Field(f)), expected->Plain(Person::Field(f))) << "field " << f;
            }
        }
    }
}

TEST(PersonStore, FileFollowsTheRecordFormat) {
    EnvFolder dir;
    auto env = dir.Start();
    Add(*env, MakePerson("8001011234567", "Kim"));
    ASSERT_TRUE(env->SavePersons());
    EXPECT_EQ(fs::status(dir.Path() / "Person.std").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    // Read it back with nothing but the format: 14 one-byte-prefixed strings, each the cipher text.
    const std::string bytes = dir.Read("Person.std");
    const Person& p = **env->PersonMap().Find("8001011234567");
    size_t pos = 0;
    for (int f = 0; f < Person::kFieldCount; ++f) {
        ASSERT_LT(pos, bytes.size());
        const size_t length = static_cast<unsigned char>(bytes[pos++]);
        const std::string field = bytes.substr(pos, length);
        pos += length;
        EXPECT_EQ(field, *env->EncryptText(p.Plain(Person::Field(f)))) << "field " << f;
        if (f == Person::kSsn) {
            EXPECT_EQ(length, 24u);
        }
    }
    EXPECT_EQ(pos, bytes.size());
    EXPECT_EQ(bytes.find("Kim"), std::string::npos); // nothing in plain text
}

TEST(PersonStore, ReadsFilesOthersWroteAndKeepsEmailAndReserved) {
    EnvFolder dir;
    dir.Start(); // bind this folder to the machine
    {
        auto env = dir.Start();
        std::vector<std::string> f = Fields("8001011234567", "Lee");
        f[Person::kEmail] = "lee@example.kr";
        f[Person::kReserved] = "kept";
        dir.Write("Person.std", Record(*env, f));
    }
    {
        auto env = dir.Start();
        ASSERT_EQ(env->PersonCount(), 1);
        Person& p = **env->PersonMap().Find("8001011234567");
        EXPECT_EQ(p.Email, "lee@example.kr");
        EXPECT_EQ(p.Reserved, "kept");
        p.Tel2 = "777";
        ASSERT_TRUE(env->SavePersons());
    }
    auto env = dir.Start();
    const Person& p = **env->PersonMap().Find("8001011234567");
    EXPECT_EQ(p.Email, "lee@example.kr");
    EXPECT_EQ(p.Reserved, "kept");
    EXPECT_EQ(p.Tel2, "777");
}

TEST(PersonStore, FiveRecordsLoadAsFourAndSameBucketSwaps) {
    const SameBucket n = FindNumbers();
    EnvFolder dir;
    dir.Start();
    {
        auto env = dir.Start();
        dir.Write("Person.std", Record(*env, Fields(n.a, "A")) + Record(*env, Fields(n.b, "B")) +
                                    Record(*env, Fields("9912312345678", "C")) +
                                    Record(*env, Fields("0203044567890", "D")) +
                                    Record(*env, Fields("7707077654321", "E")));
    }
    std::vector<std::string> firstOrder;
    {
        auto env = dir.Start();
        ASSERT_EQ(env->PersonCount(), 4);
        EXPECT_EQ(env->PersonMap().Find("7707077654321"), nullptr);
        firstOrder = Names(*env);
        ASSERT_TRUE(env->SavePersons());
    }
    auto env = dir.Start();
    ASSERT_EQ(env->PersonCount(), 4);
    std::vector<std::string> secondOrder = Names(*env);
    // A and B share a bucket: every load inserts in file order at the bucket's front, so they swap.
    auto where = [](const std::vector<std::string>& v, const std::string& s) {
        return std::find(v.begin(), v.end(), s) - v.begin();
    };
    EXPECT_EQ(where(firstOrder, "B") + 1, where(firstOrder, "A"));
    EXPECT_EQ(where(secondOrder, "A") + 1, where(secondOrder, "B"));
}

TEST(PersonStore, EmptiedNumberEndsTheFileThere) {
    const SameBucket n = FindNumbers();
    EnvFolder dir;
    {
        auto env = dir.Start();
        Add(*env, MakePerson(n.a, "A"));
        Add(*env, MakePerson(n.other, "O"));
        ASSERT_TRUE(env->SavePersons());
        // Empty the number of whichever person comes first in the file.
        Person& first = *env->PersonMap().begin()->value;
        first.Ssn.clear();
        ASSERT_TRUE(env->SavePersons());
        EXPECT_TRUE(first.Name.empty()); // all 28 forms emptied
        EXPECT_TRUE(first.StoredSsn().empty());
    }
    EXPECT_EQ(dir.Read("Person.std").substr(0, 14), std::string(14, '\0'));
    auto env = dir.Start();
    EXPECT_EQ(env->PersonCount(), 0); // the person after it is dropped too
}

TEST(PersonStore, DeletingTheLastPersonLeavesAnEmptyFile) {
    EnvFolder dir;
    auto env = dir.Start();
    Add(*env, MakePerson("8001011234567", "A"));
    ASSERT_TRUE(env->SavePersons());
    EXPECT_GT(fs::file_size(dir.Path() / "Person.std"), 0u);
    EXPECT_TRUE(env->PersonMap().Remove("8001011234567"));
    EXPECT_EQ(env->PersonCount(), 0);
    ASSERT_TRUE(env->SavePersons());
    EXPECT_EQ(fs::file_size(dir.Path() / "Person.std"), 0u);
    EXPECT_FALSE(env->LoadPersons()); // an empty file means no persons
}

TEST(PersonStore, DamagedFilesKeepTheRecordsBeforeTheDamage) {
    EnvFolder dir;
    dir.Start();
    std::string good;
    {
        auto env = dir.Start();
        good = Record(*env, Fields("8001011234567", "Good"));
    }
    const std::string fieldStart = std::string(1, '\x18') + std::string(24, 'A'); // a whole first field
    const std::vector<std::pair<std::string, std::string>> damages = {
        {"truncated", good.substr(0, good.size() - 3)},
        {"length beyond the end", std::string("\xFE", 1) + "short"},
        {"16-bit length beyond the end", std::string("\xFF\x10\x27", 3) + "short"},
        {"32-bit length of 4 GB", std::string("\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 7) + "short"},
        {"wide string, odd bytes", std::string("\xFF\xFE\xFF\x03", 4) + "abcde"},
        {"wide string, 4 GB of characters", std::string("\xFF\xFE\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 11)},
        {"two wide marks", std::string("\xFF\xFE\xFF\xFF\xFE\xFF\x01", 7) + "ab"},
        {"lone surrogate", std::string("\xFF\xFE\xFF\x01\x00\xD8", 6)},
        {"prefix cut", fieldStart + "\xFF\x10"},
    };
    for (const auto& [what, damage] : damages) {
        SCOPED_TRACE(what);
        dir.Write("Person.std", good + damage);
        auto env = dir.Start();
        EXPECT_TRUE(env->IsReady());
        EXPECT_EQ(env->PersonCount(), 1);
        EXPECT_NE(env->PersonMap().Find("8001011234567"), nullptr);
    }
}

TEST(PersonStore, WideStringsAndLongPrefixesAreRead) {
    // 홍 (U+D64D) as UTF-16LE in a wide string, and a 300-byte field with a 16-bit prefix.
    std::string file;
    std::vector<std::string> fields(14);
    fields[Person::kSsn] = "8001011234567";
    std::string bytes;
    for (int f = 0; f < Person::kFieldCount; ++f) {
        if (f == Person::kName) {
            bytes += std::string("\xFF\xFE\xFF\x01\x4D\xD6", 6);
        } else if (f == Person::kReserved) {
            bytes += std::string("\xFF\x2C\x01", 3) + std::string(300, 'x');
        } else if (f == Person::kSsn) {
            bytes += "SSNMARK";
        } else {
            bytes.push_back('\0');
        }
    }
    EnvFolder dir;
    dir.Start();
    {
        auto env = dir.Start();
        const std::string ssn = *env->EncryptText(fields[Person::kSsn]);
        bytes.replace(bytes.find("SSNMARK"), 7, std::string(1, static_cast<char>(ssn.size())) + ssn);
        dir.Write("Person.std", bytes);
    }
    auto env = dir.Start();
    ASSERT_EQ(env->PersonCount(), 1);
    const Person& p = **env->PersonMap().Find("8001011234567");
    EXPECT_EQ(p.Name, "\xC8\xAB"); // 홍 in code page 949; not cipher text, so kept as it came
    EXPECT_EQ(p.Reserved, std::string(300, 'x'));

    // And the writer's prefixes for long strings.
    std::string out;
    PersonFile::AppendString(out, std::string(254, 'a'));
    EXPECT_EQ(static_cast<unsigned char>(out[0]), 254);
    out.clear();
    PersonFile::AppendString(out, std::string(65533, 'a'));
    EXPECT_EQ(out.substr(0, 3), std::string("\xFF\xFD\xFF", 3));
    out.clear();
    PersonFile::AppendString(out, std::string(65534, 'a'));
    EXPECT_EQ(out.substr(0, 7), std::string("\xFF\xFF\xFF\xFE\xFF\x00\x00", 7));
    PersonFile::Reader reader(out);
    EXPECT_EQ(reader.ReadString(), std::string(65534, 'a'));
    EXPECT_EQ(reader.ReadString(), std::nullopt);
}

TEST(PersonStore, DuplicateNumberKeepsTheFirstAndCountsOnce) {
    EnvFolder dir;
    dir.Start();
    {
        auto env = dir.Start();
        dir.Write("Person.std", Record(*env, Fields("8001011234567", "First")) +
                                    Record(*env, Fields("8001011234567", "Second")) +
                                    Record(*env, Fields("9912312345678", "Third")));
    }
    auto env = dir.Start();
    EXPECT_EQ(env->PersonCount(), 2);
    EXPECT_EQ((*env->PersonMap().Find("8001011234567"))->Name, "First");
    EXPECT_NE(env->PersonMap().Find("9912312345678"), nullptr);
}

TEST(PersonStore, FailedEncryptionWritesNothing) {
    EnvFolder dir;
    auto env = dir.Start();
    Add(*env, MakePerson("8001011234567", "A"));
    ASSERT_TRUE(env->SavePersons());
    const std::string before = dir.Read("Person.std");
    Person& p = **env->PersonMap().Find("8001011234567");
    const std::string storedName = p.Stored(Person::kName);
    p.Name = "B";
    p.CaseNote = std::string(800, 'n'); // more than the cipher takes in one call
    EXPECT_FALSE(env->SavePersons());
    EXPECT_EQ(dir.Read("Person.std"), before);
    EXPECT_EQ(p.Stored(Person::kName), storedName); // stored forms unchanged too
    EXPECT_EQ(dir.Read("Person.std").find(std::string(800, 'n')), std::string::npos);
}

TEST(PersonStore, SaveIntoAReadOnlyFolderFailsAndKeepsTheFile) {
    EnvFolder dir;
    auto env = dir.Start();
    Add(*env, MakePerson("8001011234567", "A"));
    ASSERT_TRUE(env->SavePersons());
    const std::string before = dir.Read("Person.std");
    // A person whose number was emptied: a save that fails must not empty it in memory either.
    Person& p = **env->PersonMap().Find("8001011234567");
    const std::string storedName = p.Stored(Person::kName);
    p.Ssn.clear();

    ASSERT_EQ(chmod(dir.Path().c_str(), 0555), 0);
    // Root writes anywhere; the save runs as an ordinary user in a child process then.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && setuid(65534) != 0) {
            _exit(2);
        }
        if (env->SavePersons()) {
            _exit(1);
        }
        _exit(p.Name == "A" && p.Stored(Person::kName) == storedName ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    chmod(dir.Path().c_str(), 0700);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0)
        << "1: the save claimed success; 2: could not drop root; 3: the person changed in memory";
    EXPECT_EQ(dir.Read("Person.std"), before);
    for (const auto& e : fs::directory_iterator(dir.Path())) {
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << "left behind: " << e.path();
    }
}
