#pragma once

#include <QString>

// The Java runtime installed on the machine, as the launch settings use it.
struct JavaInfo {
    // The runtime's version ("17.0.8", "1.8.0_201"); empty when nothing was found or the runtime
    // did not say.
    QString version;
    // The folder of the java program, with a trailing "/"; empty when nothing was found.
    QString binFolder;
    // "x64" for a 64-bit java program, otherwise "x86" (also when nothing was found).
    QString bitness = QStringLiteral("x86");

    friend bool operator==(const JavaInfo&, const JavaInfo&) = default;
};

// Where discoverJava looks, so that tests can point it at a fake runtime.
struct JavaSearchPlaces {
    QString javaHome; // the JAVA_HOME value
    QString path;     // the PATH value, folders separated by ':'
    QString jvmRoot = QStringLiteral("/usr/lib/jvm");
};

// The places of the running launcher: its JAVA_HOME and PATH, and /usr/lib/jvm.
JavaSearchPlaces currentJavaSearchPlaces();

// Looks for a runtime in this order and takes the first java program that exists and is executable:
// JAVA_HOME/bin/java, the first `java` on PATH (followed through its links to the real file), then
// <jvmRoot>/*/bin/java by folder name. Nothing is cached: each call looks again, so a runtime
// installed while the launcher runs is found. May run `java -version` (at most a few seconds).
JavaInfo discoverJava();
JavaInfo discoverJava(const JavaSearchPlaces& places);

// The version a runtime states in its `release` file or, failing that, on the first line of
// `java -version`; empty when neither says.
QString javaVersionOf(const QString& javaProgram);

// True for a path that may name the Java program: its file name is exactly "java", or its last eight
// characters are exactly "java.exe" (case matters).
bool isJavaProgramPath(const QString& path);
