package velk.demo;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.HashMap;
import java.util.Map;

/**
 * The few settings the demo needs from server.properties and eula.txt.
 *
 * <p>The launcher's editor writes these files with \r\n line ends, users edit them by hand, and a
 * half-written file can hold anything, so the reader never fails: unreadable lines are skipped and
 * unusable values fall back to the defaults a fresh server would write.
 */
final class ServerConfig {
    static final int DEFAULT_PORT = 25565;
    static final int DEFAULT_MAX_PLAYERS = 20;
    static final String DEFAULT_MOTD = "A Minecraft Server";

    final int port;
    final int maxPlayers;
    final boolean onlineMode;
    final String motd;

    private ServerConfig(Map<String, String> values) {
        port = intValue(values.get("server-port"), DEFAULT_PORT);
        maxPlayers = intValue(values.get("max-players"), DEFAULT_MAX_PLAYERS);
        // Only an explicit "false" turns authentication off: a mistyped value must not silently
        // open the server to any user name.
        String online = values.get("online-mode");
        onlineMode = online == null || !online.trim().equalsIgnoreCase("false");
        String motdValue = values.get("motd");
        motd = motdValue == null ? DEFAULT_MOTD : motdValue;
    }

    static ServerConfig load(Path file) {
        return new ServerConfig(readKeyValues(file));
    }

    /** True when the file exists and says eula=true (letter case and blanks ignored). */
    static boolean eulaAccepted(Path file) {
        String value = readKeyValues(file).get("eula");
        return value != null && value.trim().equalsIgnoreCase("true");
    }

    /**
     * Reads "key=value" (or "key:value") lines; '#' and '!' start comments as in Java properties
     * files. ISO-8859-1 maps every byte to a character, so no byte sequence can make decoding
     * fail; the values this program uses are plain ASCII anyway.
     */
    static Map<String, String> readKeyValues(Path file) {
        Map<String, String> values = new HashMap<>();
        String text;
        try {
            text = new String(Files.readAllBytes(file), StandardCharsets.ISO_8859_1);
        } catch (IOException | RuntimeException e) {
            return values;
        }
        for (String rawLine : text.split("\r\n|\n|\r")) {
            String line = rawLine.strip();
            if (line.isEmpty() || line.startsWith("#") || line.startsWith("!")) {
                continue;
            }
            int separator = -1;
            for (int i = 0; i < line.length(); i++) {
                char c = line.charAt(i);
                if (c == '=' || c == ':') {
                    separator = i;
                    break;
                }
            }
            if (separator <= 0) {
                continue;
            }
            String key = line.substring(0, separator).strip();
            String value = line.substring(separator + 1).stripLeading();
            values.put(key, value);
        }
        return values;
    }

    private static int intValue(String text, int fallback) {
        if (text == null) {
            return fallback;
        }
        try {
            return Integer.parseInt(text.trim());
        } catch (NumberFormatException e) {
            return fallback;
        }
    }
}
