package velk.demo;

import java.io.IOException;
import java.net.InetAddress;
import java.net.InetSocketAddress;
import java.net.ServerSocket;
import java.net.Socket;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.Locale;

/**
 * A stand-in for a game server's console, for the launcher's tests and demo.
 *
 * <p>It reads server.properties and eula.txt from its working directory, listens on the
 * configured port on 127.0.0.1, prints a start-up log in the server's own format and answers the
 * console commands the launcher sends. A few extra commands ("crash", "flood", "echo") let tests
 * reproduce a dying server, a flooding one and text in either console charset.
 *
 * <p>Exit status: 0 after "stop" or the end of input, 1 when the EULA is not accepted or the port
 * cannot be bound, 3 after "crash".
 */
public final class DemoServer {
    static final String VERSION = "1.12.2";

    private final Console console;
    private final long startNanos;
    private ServerConfig config;
    private ServerSocket listener;

    private DemoServer(Console console, long startNanos) {
        this.console = console;
        this.startNanos = startNanos;
    }

    public static void main(String[] args) {
        long startNanos = System.nanoTime();
        Console console;
        try {
            console = new Console();
        } catch (RuntimeException e) {
            Runtime.getRuntime().halt(1);
            return;
        }
        int status;
        try {
            status = new DemoServer(console, startNanos).run();
        } catch (Throwable t) {
            // Whatever went wrong, the launcher should see it on the console rather than as a
            // JVM stack trace on a pipe it may not read.
            console.error("Encountered an unexpected exception " + t);
            status = 1;
        }
        console.flush();
        System.exit(status);
    }

    private int run() throws IOException {
        Path workDir = Paths.get("").toAbsolutePath();
        if (!ServerConfig.eulaAccepted(workDir.resolve("eula.txt"))) {
            if (!workDir.resolve("eula.txt").toFile().isFile()) {
                console.warn("Failed to load eula.txt");
            }
            console.warn("You need to agree to the EULA in order to run the server. Go to eula.txt for more info.");
            return 1;
        }

        console.info("Starting minecraft server version " + VERSION);
        console.info("Loading properties");
        config = ServerConfig.load(workDir.resolve("server.properties"));
        console.info("Default game type: SURVIVAL");
        console.info("Generating keypair");
        pause(30);
        console.info("Starting Minecraft server on *:" + config.port);
        if (!bindPort()) {
            return 1;
        }
        if (!config.onlineMode) {
            console.warn("**** SERVER IS RUNNING IN OFFLINE/INSECURE MODE!");
            console.warn("The server will make no attempt to authenticate usernames. Beware.");
            console.warn("While this makes the game possible to play without internet access, it also opens up the"
                    + " ability for hackers to connect with any username they choose.");
            console.warn("To change this, set \"online-mode\" to \"true\" in the server.properties file.");
        }
        console.info("Preparing level \"world\"");
        pause(40);
        console.info("Preparing start region for level 0");
        for (int percent : new int[] {17, 48, 81}) {
            pause(40);
            console.info("Preparing spawn area: " + percent + "%");
        }
        pause(30);
        double seconds = (System.nanoTime() - startNanos) / 1e9;
        console.info(String.format(Locale.ROOT, "Done (%.3fs)! For help, type \"help\" or \"?\"", seconds));

        Commands commands = new Commands(console, config);
        String line;
        while ((line = console.readLine()) != null) {
            Commands.Result result;
            try {
                result = commands.handle(line);
            } catch (RuntimeException e) {
                console.error("Couldn't process command: '" + line + "'");
                continue;
            }
            if (result == Commands.Result.STOP) {
                console.info("Stopping the server");
                break;
            }
        }
        // Both "stop" and a closed input pipe end the same clean way, as a server does on
        // shutdown.
        console.info("Stopping server");
        console.info("Saving players");
        console.info("Saving worlds");
        saveWorld();
        closeListener();
        return 0;
    }

    /** Leaves world/saved.txt behind, so that a clean end can be told from a kill. */
    private void saveWorld() {
        try {
            Path world = Paths.get("world");
            Files.createDirectories(world);
            Files.writeString(world.resolve("saved.txt"), "saved\n");
        } catch (IOException e) {
            console.error("Couldn't save the world: " + e.getMessage());
        }
    }

    /** Listens on the configured port so that the launcher's port check sees a running server. */
    private boolean bindPort() {
        try {
            ServerSocket socket = new ServerSocket();
            try {
                socket.bind(new InetSocketAddress(InetAddress.getLoopbackAddress(), config.port));
            } catch (IOException | RuntimeException e) {
                socket.close();
                throw e;
            }
            listener = socket;
        } catch (IOException | RuntimeException e) {
            console.warn("**** FAILED TO BIND TO PORT!");
            console.warn("The exception was: " + e);
            console.warn("Perhaps a server is already running on that port?");
            return false;
        }
        Thread acceptor = new Thread(this::acceptLoop, "Server Connection Thread");
        acceptor.setDaemon(true);
        acceptor.start();
        return true;
    }

    private void acceptLoop() {
        ServerSocket socket = listener;
        while (!socket.isClosed()) {
            try {
                // Nothing to say to a client: the connection only proves the port is served.
                Socket client = socket.accept();
                client.close();
            } catch (IOException e) {
                // Closed on shutdown, or a client that went away: keep serving until closed.
            }
        }
    }

    private void closeListener() {
        if (listener != null) {
            try {
                listener.close();
            } catch (IOException e) {
                // Shutting down anyway.
            }
        }
    }

    private static void pause(long millis) {
        try {
            Thread.sleep(millis);
        } catch (InterruptedException e) {
            Thread.currentThread().interrupt();
        }
    }
}
