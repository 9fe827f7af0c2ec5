package velk.demo;

import java.io.BufferedOutputStream;
import java.io.BufferedReader;
import java.io.FileDescriptor;
import java.io.FileInputStream;
import java.io.FileOutputStream;
import java.io.IOException;
import java.io.InputStreamReader;
import java.io.PrintStream;
import java.io.Reader;
import java.nio.charset.Charset;
import java.nio.charset.StandardCharsets;
import java.time.LocalTime;
import java.time.format.DateTimeFormatter;
import java.util.Locale;

/**
 * The server's console: log lines out, command lines in, both in one explicit charset.
 *
 * <p>The charset is chosen here rather than left to the JDK, whose default-charset rules differ
 * between releases and locales: a server started with -Dfile.encoding=GBK speaks GBK on both
 * pipes, every other server speaks UTF-8. Only the main thread uses this class.
 */
final class Console {
    /** A longer command line is cut here, so endless input without a line end cannot exhaust memory. */
    private static final int MAX_LINE_CHARS = 1 << 20;

    private static final DateTimeFormatter CLOCK = DateTimeFormatter.ofPattern("HH:mm:ss", Locale.ROOT);

    private final Charset charset;
    private final PrintStream out;
    private final Reader in;
    private final String lineSeparator = System.lineSeparator();

    Console() {
        charset = chooseCharset(System.getProperty("file.encoding"));
        out = new PrintStream(new BufferedOutputStream(new FileOutputStream(FileDescriptor.out), 1 << 16), false, charset);
        in = new BufferedReader(new InputStreamReader(new FileInputStream(FileDescriptor.in), charset));
    }

    static Charset chooseCharset(String requested) {
        if (requested == null) {
            return StandardCharsets.UTF_8;
        }
        String name = requested.trim().toUpperCase(Locale.ROOT);
        if (name.equals("GBK") || name.equals("CP936") || name.equals("MS936") || name.equals("X-MSWIN-936")
                || name.equals("GB2312") || name.equals("EUC-CN")) {
            return Charset.forName("GBK");
        }
        if (name.equals("GB18030")) {
            return Charset.forName("GB18030");
        }
        return StandardCharsets.UTF_8;
    }

    static String prefix(String level) {
        return "[" + LocalTime.now().format(CLOCK) + " " + level + "]: ";
    }

    void info(String message) {
        line(prefix("INFO") + message);
    }

    void warn(String message) {
        line(prefix("WARN") + message);
    }

    void error(String message) {
        line(prefix("ERROR") + message);
    }

    /** Prints a line as it is and flushes, so the launcher sees it at once. */
    void line(String text) {
        out.print(text);
        out.print(lineSeparator);
        out.flush();
    }

    /** Prints without flushing; for bulk output that is flushed once at its end. */
    void lineUnflushed(String text) {
        out.print(text);
        out.print(lineSeparator);
    }

    void flush() {
        out.flush();
    }

    /**
     * Returns the next command line without its line end (a trailing \r is dropped too, as the
     * launcher ends commands with \r\n), or null at the end of input.
     */
    String readLine() throws IOException {
        StringBuilder line = new StringBuilder();
        boolean sawAny = false;
        int c;
        while ((c = in.read()) != -1) {
            sawAny = true;
            if (c == '\n') {
                break;
            }
            if (line.length() < MAX_LINE_CHARS) {
                line.append((char) c);
            }
        }
        if (!sawAny) {
            return null;
        }
        int end = line.length();
        if (end > 0 && line.charAt(end - 1) == '\r') {
            line.setLength(end - 1);
        }
        return line.toString();
    }
}
