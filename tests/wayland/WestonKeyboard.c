/* A keyboard for weston's headless backend, which has no input devices of
 * its own: loaded with --modules, it adds the seat "mova-test" with a
 * keyboard and presses the keys whose evdev codes (one decimal number per
 * line, as in <linux/input-event-codes.h>) are written into the FIFO named by
 * MOVA_WESTON_KEYS. Each key is pressed and released at once and reaches the
 * window that has the keyboard focus, as a key of a real keyboard would.
 *
 * The functions that feed input into libweston are exported by libweston 10
 * but declared only in its private backend header; their declarations are
 * repeated here, as weston 10 has them. */
#include <errno.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <libweston/libweston.h>
#include <libweston/version.h>
#include <weston.h>

#if WESTON_VERSION_MAJOR != 10
#error "the input functions below are declared as libweston 10 has them"
#endif

void weston_seat_init(struct weston_seat *seat, struct weston_compositor *ec, const char *seat_name);
int weston_seat_init_keyboard(struct weston_seat *seat, struct xkb_keymap *keymap);
void weston_seat_release(struct weston_seat *seat);
void notify_key(struct weston_seat *seat, const struct timespec *time, uint32_t key,
                enum wl_keyboard_key_state state, enum weston_key_state_update update_state);

struct test_keyboard {
	struct weston_seat seat;
	struct wl_event_source *source;
	struct wl_listener destroy;
	int fd;
};

static void
press(struct test_keyboard *keyboard, uint32_t key)
{
	struct timespec now;

	clock_gettime(CLOCK_MONOTONIC, &now);
	notify_key(&keyboard->seat, &now, key, WL_KEYBOARD_KEY_STATE_PRESSED, STATE_UPDATE_AUTOMATIC);
	clock_gettime(CLOCK_MONOTONIC, &now);
	notify_key(&keyboard->seat, &now, key, WL_KEYBOARD_KEY_STATE_RELEASED, STATE_UPDATE_AUTOMATIC);
}

static int
on_readable(int fd, uint32_t mask, void *data)
{
	struct test_keyboard *keyboard = data;
	char bytes[256];
	char *next = bytes;
	char *end;
	unsigned long key;
	ssize_t count;

	(void)mask;
	/* A write of a few lines into a FIFO is atomic: a read gets whole lines. */
	count = read(fd, bytes, sizeof bytes - 1);
	if (count <= 0)
		return 0;
	bytes[count] = '\0';
	for (key = strtoul(next, &end, 10); end != next; key = strtoul(next, &end, 10)) {
		next = end;
		/* Evdev codes end well below 0x300; anything else is not a key. */
		if (key > 0 && key < 0x300)
			press(keyboard, (uint32_t)key);
	}
	return 0;
}

static void
on_compositor_destroy(struct wl_listener *listener, void *data)
{
	struct test_keyboard *keyboard = wl_container_of(listener, keyboard, destroy);

	(void)data;
	wl_list_remove(&keyboard->destroy.link);
	if (keyboard->source)
		wl_event_source_remove(keyboard->source);
	close(keyboard->fd);
	weston_seat_release(&keyboard->seat);
	free(keyboard);
}

WL_EXPORT int
wet_module_init(struct weston_compositor *compositor, int *argc, char *argv[])
{
	const char *fifo = getenv("MOVA_WESTON_KEYS");
	struct test_keyboard *keyboard;
	struct wl_event_loop *loop;

	(void)argc;
	(void)argv;
	if (fifo == NULL || *fifo == '\0') {
		weston_log("mova-test keyboard: MOVA_WESTON_KEYS names no FIFO\n");
		return -1;
	}
	keyboard = calloc(1, sizeof *keyboard);
	if (keyboard == NULL)
		return -1;
	/* Open for writing too, so that a writer closing its end does not leave
	 * the FIFO at end-of-file, readable for ever. */
	keyboard->fd = open(fifo, O_RDWR | O_NONBLOCK | O_CLOEXEC);
	if (keyboard->fd < 0) {
		weston_log("mova-test keyboard: cannot open %s: %s\n", fifo, strerror(errno));
		free(keyboard);
		return -1;
	}
	weston_seat_init(&keyboard->seat, compositor, "mova-test");
	if (weston_seat_init_keyboard(&keyboard->seat, NULL) < 0) {
		weston_seat_release(&keyboard->seat);
		close(keyboard->fd);
		free(keyboard);
		return -1;
	}
	loop = wl_display_get_event_loop(compositor->wl_display);
	keyboard->source = wl_event_loop_add_fd(loop, keyboard->fd, WL_EVENT_READABLE, on_readable, keyboard);
	keyboard->destroy.notify = on_compositor_destroy;
	wl_signal_add(&compositor->destroy_signal, &keyboard->destroy);
	weston_log("mova-test keyboard: keys from %s\n", fifo);
	return 0;
}
