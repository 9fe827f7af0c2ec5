package velk.demo;

import java.util.Locale;

/** The console commands: the server commands the launcher sends, and the demo's own. */
final class Commands {
    enum Result { CONTINUE, STOP }

    static final long MAX_FLOOD_LINES = 10_000_000L;

    private static final String[] HELP = {
        "--- Showing help page 1 of 1 (/help <page>) ---",
        "/ban <name> [reason ...]",
        "/ban-ip <address|name> [reason ...]",
        "/deop <player>",
        "/give <player> <item> [amount]",
        "/list",
        "/op <player>",
        "/save-all",
        "/say <message ...>",
        "/stop",
        "/xp <amount> <player>",
        "/crash, /flood <count>, /echo <text>, /hang (demo server only)",
    };

    private final Console console;
    private final ServerConfig config;

    Commands(Console console, ServerConfig config) {
        this.console = console;
        this.config = config;
    }

    Result handle(String line) {
        String command = line.stripLeading();
        if (command.startsWith("/")) {
            command = command.substring(1);
        }
        if (command.isBlank()) {
            return Result.CONTINUE;
        }
        int space = command.indexOf(' ');
        String name = (space < 0 ? command : command.substring(0, space)).toLowerCase(Locale.ROOT);
        // The raw rest keeps the user's blanks for "say" and "echo"; the other commands take
        // words.
        String rest = space < 0 ? "" : command.substring(space + 1);
        String[] words = rest.isBlank() ? new String[0] : rest.strip().split("\\s+");

        switch (name) {
            case "stop":
                return Result.STOP;
            case "list":
                console.info("There are 0 of a max of " + config.maxPlayers + " players online: ");
                break;
            case "save-all":
                console.info("Saving...");
                console.info("Saved the world");
                break;
            case "help":
            case "?":
                for (String helpLine : HELP) {
                    console.info(helpLine);
                }
                break;
            case "op":
                withPlayer(words, "Usage: /op <player>", "Opped ");
                break;
            case "deop":
                withPlayer(words, "Usage: /deop <player>", "De-opped ");
                break;
            case "ban":
                withPlayer(words, "Usage: /ban <name> [reason ...]", "Banned player ");
                break;
            case "ban-ip":
                withPlayer(words, "Usage: /ban-ip <address|name> [reason ...]", "Banned IP ");
                break;
            case "give":
                give(words);
                break;
            case "xp":
                experience(words);
                break;
            case "say":
                if (rest.isBlank()) {
                    console.info("Usage: /say <message ...>");
                } else {
                    console.info("[Server] " + rest.strip());
                }
                break;
            case "crash":
                // An abrupt death with nothing more on the console, as when the JVM is killed.
                console.flush();
                Runtime.getRuntime().halt(3);
                break;
            case "flood":
                flood(words);
                break;
            case "echo":
                console.line(rest);
                break;
            case "hang":
                // A server that stops reading its console: nothing typed reaches it any more, so only
                // a kill ends it.
                console.info("No longer reading the console");
                console.flush();
                while (true) {
                    try {
                        Thread.sleep(Long.MAX_VALUE);
                    } catch (InterruptedException e) {
                        Thread.currentThread().interrupt();
                    }
                }
            default:
                console.info("Unknown command. Type \"help\" for help.");
                break;
        }
        return Result.CONTINUE;
    }

    private void withPlayer(String[] words, String usage, String answer) {
        if (words.length < 1) {
            console.info(usage);
        } else {
            console.info(answer + words[0]);
        }
    }

    private void give(String[] words) {
        String usage = "Usage: /give <player> <item> [amount]";
        if (words.length < 2) {
            console.info(usage);
            return;
        }
        long count = 1;
        if (words.length >= 3) {
            count = parseCount(words[2], 64 * 36);
            if (count < 1) {
                console.info(usage);
                return;
            }
        }
        console.info("Given [" + words[1] + "] * " + count + " to " + words[0]);
    }

    private void experience(String[] words) {
        String usage = "Usage: /xp <amount> <player>";
        if (words.length < 2 || parseCount(words[0], Integer.MAX_VALUE) < 0) {
            console.info(usage);
            return;
        }
        console.info("Given " + words[0] + " experience to " + words[1]);
    }

    private void flood(String[] words) {
        long count = words.length == 1 ? parseCount(words[0], MAX_FLOOD_LINES) : -1;
        if (count < 0) {
            console.info("Usage: /flood <count> (0 to " + MAX_FLOOD_LINES + ")");
            return;
        }
        FloodLines lines = new FloodLines();
        for (long i = 0; i < count; i++) {
            console.lineUnflushed(lines.next());
        }
        console.info("FLOOD-DONE");
    }

    /** A decimal count from 0 to max, or -1 for anything else (signs, letters, overflow). */
    static long parseCount(String text, long max) {
        if (text.isEmpty() || text.length() > 12) {
            return -1;
        }
        long value = 0;
        for (int i = 0; i < text.length(); i++) {
            char c = text.charAt(i);
            if (c < '0' || c > '9') {
                return -1;
            }
            value = value * 10 + (c - '0');
        }
        return value <= max ? value : -1;
    }

    /**
     * Typical log lines of about 100 bytes, made fast: the clock prefix is formatted once a
     * second, not once a line.
     */
    private static final class FloodLines {
        private static final String[] TEMPLATES = {
            "UUID of player Player%d is 8667ba71-b85a-4004-af54-457a9734eed7 (flood line)",
            "Player%d[/127.0.0.1:52144] logged in with entity id 4711 at (12.5, 64.0, -3.5)",
            "Player%d lost connection: Disconnected by the server while saving chunk data",
            "Saving chunks for level 'world'/overworld, region r.0.0.mca, batch %d of the flood",
        };

        private long second = -1;
        private String prefix = "";
        private long number;

        String next() {
            long now = System.currentTimeMillis() / 1000;
            if (now != second) {
                second = now;
                prefix = Console.prefix("INFO");
            }
            String template = TEMPLATES[(int) (number % TEMPLATES.length)];
            int mark = template.indexOf("%d");
            String id = Long.toString(number++);
            return prefix + template.substring(0, mark) + id + template.substring(mark + 2);
        }
    }
}
