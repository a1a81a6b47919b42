/* A fake webcam for the camera tests: a GStreamer device provider that announces one
 * "Video/Source" device, so that Qt Multimedia's GStreamer backend lists it as a camera and
 * runs its real capture path on it. Loaded through GST_PLUGIN_PATH.
 *
 * The file named by $VELMORA_FAKE_CAMERA controls it; it is read again every 50 ms, so a
 * test can plug, unplug or break the camera while the application runs. One setting a line:
 *
 *   state plugged|unplugged|busy|stalled|ended
 *   source <pipeline description>   (default: videotestsrc is-live=true)
 *   image <path>                    (a still JPEG, or PNG named .png, instead of the
 *                                   source)
 *   sizes 1280x720 640x480          (the formats advertised, at 30 frames a second)
 *   second <pipeline description>   (a second camera, "Velmora Fake Camera 2", showing
 *                                   this; none without the line)
 *
 * unplugged: the device is removed and a running stream posts an error and stops.
 * busy: opening the device fails with a resource error, as when another program holds it.
 * stalled: the stream delivers no frames and posts no error.
 * ended: a running stream stops for good, silently, as Qt's sink ends one when the GUI
 * thread is late; opening the device again gives frames (once the state is plugged again).
 */
#include <gst/gst.h>
#include <stdio.h>
#include <string.h>

typedef struct {
    char state[16];
    char source[1024];
    char sizes[256];
    char second[1024];
} Control;

static GMutex control_lock;
static Control control_now;
static gint64 control_read_at = -1;

static void read_control(Control* c) {
    g_strlcpy(c->state, "plugged", sizeof c->state);
    g_strlcpy(c->source, "videotestsrc is-live=true", sizeof c->source);
    g_strlcpy(c->sizes, "1280x720 640x480", sizeof c->sizes);
    c->second[0] = '\0';
    const char* path = g_getenv("VELMORA_FAKE_CAMERA");
    gchar* text = NULL;
    if (!path || !g_file_get_contents(path, &text, NULL, NULL))
        return;
    gchar** lines = g_strsplit(text, "\n", -1);
    for (gchar** line = lines; *line; ++line) {
        gchar* l = g_strstrip(*line);
        gchar* value = strchr(l, ' ');
        if (!value)
            continue;
        *value++ = '\0';
        value = g_strstrip(value);
        if (!strcmp(l, "state"))
            g_strlcpy(c->state, value, sizeof c->state);
        else if (!strcmp(l, "source"))
            g_strlcpy(c->source, value, sizeof c->source);
        else if (!strcmp(l, "second"))
            g_strlcpy(c->second, value, sizeof c->second);
        else if (!strcmp(l, "sizes"))
            g_strlcpy(c->sizes, value, sizeof c->sizes);
        else if (!strcmp(l, "image"))
            /* A decoder named, not decodebin: inside the camera's bin its pad appears after
             * the bin is linked, the delayed link fails and the stream stops at once. */
            g_snprintf(c->source, sizeof c->source,
                       "filesrc location=\"%s\" ! %s ! videoconvert ! imagefreeze is-live=true",
                       value, g_str_has_suffix(value, ".png") ? "pngdec" : "jpegdec");
    }
    g_strfreev(lines);
    g_free(text);
}

/* The control as it stands, read again when the last reading is older than 50 ms. */
static Control current_control(void) {
    g_mutex_lock(&control_lock);
    const gint64 now = g_get_monotonic_time();
    if (control_read_at < 0 || now - control_read_at > 50000) {
        read_control(&control_now);
        control_read_at = now;
    }
    Control c = control_now;
    g_mutex_unlock(&control_lock);
    return c;
}

static gboolean is_state(const Control* c, const char* state) {
    return strcmp(c->state, state) == 0;
}

static GstCaps* advertised_caps(const Control* c) {
    GstCaps* caps = gst_caps_new_empty();
    gchar** sizes = g_strsplit(c->sizes, " ", -1);
    for (gchar** s = sizes; *s; ++s) {
        int w = 0, h = 0;
        if (sscanf(*s, "%dx%d", &w, &h) != 2)
            continue;
        gst_caps_append_structure(caps,
                                  gst_structure_new("video/x-raw", "format", G_TYPE_STRING, "YUY2",
                                                    "width", G_TYPE_INT, w, "height", G_TYPE_INT, h,
                                                    "framerate", GST_TYPE_FRACTION, 30, 1, NULL));
    }
    g_strfreev(sizes);
    return caps;
}

/* ---- The camera element: the source pipeline in a bin that obeys the control file */

typedef struct {
    GstBin parent;
    gboolean gone;
    gboolean ended;
} FakeCameraSrc;
typedef struct {
    GstBinClass parent_class;
} FakeCameraSrcClass;

G_DEFINE_TYPE(FakeCameraSrc, fake_camera_src, GST_TYPE_BIN)

static GstStateChangeReturn fake_camera_src_change_state(GstElement* element,
                                                         GstStateChange transition) {
    if (transition == GST_STATE_CHANGE_NULL_TO_READY) {
        const Control c = current_control();
        if (is_state(&c, "busy")) {
            GST_ELEMENT_ERROR(element, RESOURCE, BUSY, ("Device is busy."),
                              ("the fake camera is told to be busy"));
            return GST_STATE_CHANGE_FAILURE;
        }
        if (is_state(&c, "unplugged")) {
            GST_ELEMENT_ERROR(element, RESOURCE, NOT_FOUND, ("No such device."),
                              ("the fake camera is unplugged"));
            return GST_STATE_CHANGE_FAILURE;
        }
    }
    return GST_ELEMENT_CLASS(fake_camera_src_parent_class)->change_state(element, transition);
}

static void fake_camera_src_class_init(FakeCameraSrcClass* klass) {
    GST_ELEMENT_CLASS(klass)->change_state = fake_camera_src_change_state;
}

static void fake_camera_src_init(FakeCameraSrc* self) {
    self->gone = FALSE;
    self->ended = FALSE;
}

static GstPadProbeReturn on_buffer(GstPad* pad, GstPadProbeInfo* info, gpointer data) {
    (void)pad;
    (void)info;
    FakeCameraSrc* self = data;
    const Control c = current_control();
    if (is_state(&c, "unplugged") || self->gone) {
        if (!self->gone) {
            self->gone = TRUE;
            GST_ELEMENT_ERROR(self, RESOURCE, READ, ("The device was removed."),
                              ("the fake camera was unplugged while streaming"));
        }
        return GST_PAD_PROBE_DROP;
    }
    if (is_state(&c, "ended"))
        self->ended = TRUE;
    return is_state(&c, "stalled") || self->ended ? GST_PAD_PROBE_DROP : GST_PAD_PROBE_OK;
}

static GstElement* make_camera_element(const char* name, int index) {
    const Control c = current_control();
    GstCaps* caps = advertised_caps(&c);
    gchar* caps_text = gst_caps_to_string(caps);
    gst_caps_unref(caps);
    /* Whatever the source gives, the camera delivers only what it advertises. */
    gchar* description = g_strdup_printf("%s ! videoconvert ! videoscale ! videorate ! "
                                         "capsfilter caps=\"%s\"",
                                         index == 1 ? c.second : c.source, caps_text);
    g_free(caps_text);
    GError* error = NULL;
    GstElement* inner = gst_parse_bin_from_description(description, TRUE, &error);
    g_free(description);
    if (!inner) {
        g_printerr("fakecamera: %s\n", error ? error->message : "cannot build the source");
        g_clear_error(&error);
        return NULL;
    }
    GstElement* bin = g_object_new(fake_camera_src_get_type(), "name", name, NULL);
    gst_bin_add(GST_BIN(bin), inner);
    GstPad* inner_src = gst_element_get_static_pad(inner, "src");
    GstPad* ghost = gst_ghost_pad_new("src", inner_src);
    gst_pad_add_probe(inner_src, GST_PAD_PROBE_TYPE_BUFFER, on_buffer, bin, NULL);
    gst_object_unref(inner_src);
    gst_element_add_pad(bin, ghost);
    return bin;
}

/* ---- The device */

typedef struct {
    GstDevice parent;
    int index; /* 0 for the first camera, 1 for the second */
} FakeCameraDevice;
typedef struct {
    GstDeviceClass parent_class;
} FakeCameraDeviceClass;

G_DEFINE_TYPE(FakeCameraDevice, fake_camera_device, GST_TYPE_DEVICE)

static GstElement* fake_camera_device_create_element(GstDevice* device, const gchar* name) {
    return make_camera_element(name, ((FakeCameraDevice*)device)->index);
}

static void fake_camera_device_class_init(FakeCameraDeviceClass* klass) {
    GST_DEVICE_CLASS(klass)->create_element = fake_camera_device_create_element;
}

static void fake_camera_device_init(FakeCameraDevice* self) {
    self->index = 0;
}

static GstDevice* new_device(int index) {
    const Control c = current_control();
    GstCaps* caps = advertised_caps(&c);
    GstStructure* props =
        gst_structure_new("fake-camera-proplist", "device.path", G_TYPE_STRING,
                          index == 1 ? "/dev/velmora-fake-camera-2" : "/dev/velmora-fake-camera",
                          "device.api", G_TYPE_STRING, "v4l2", NULL);
    GstDevice* device =
        g_object_new(fake_camera_device_get_type(), "display-name",
                     index == 1 ? "Velmora Fake Camera 2" : "Velmora Fake Camera", "device-class",
                     "Video/Source", "caps", caps, "properties", props, NULL);
    ((FakeCameraDevice*)device)->index = index;
    gst_caps_unref(caps);
    gst_structure_free(props);
    return device;
}

/* ---- The provider: announces the device and follows plug and unplug */

typedef struct {
    GstDeviceProvider parent;
    GThread* watcher;
    gboolean running;
    GstDevice* devices[2];
} FakeCameraProvider;
typedef struct {
    GstDeviceProviderClass parent_class;
} FakeCameraProviderClass;

G_DEFINE_TYPE(FakeCameraProvider, fake_camera_provider, GST_TYPE_DEVICE_PROVIDER)

static GList* fake_camera_provider_probe(GstDeviceProvider* provider) {
    (void)provider;
    const Control c = current_control();
    if (is_state(&c, "unplugged"))
        return NULL;
    GList* devices = g_list_append(NULL, new_device(0));
    return c.second[0] ? g_list_append(devices, new_device(1)) : devices;
}

static void follow_control(FakeCameraProvider* self) {
    const Control c = current_control();
    GstDeviceProvider* provider = GST_DEVICE_PROVIDER(self);
    for (int i = 0; i < 2; ++i) {
        const gboolean plugged = !is_state(&c, "unplugged") && (i == 0 || c.second[0]);
        if (plugged && !self->devices[i]) {
            self->devices[i] = gst_object_ref(new_device(i));
            gst_device_provider_device_add(provider, self->devices[i]);
        } else if (!plugged && self->devices[i]) {
            gst_device_provider_device_remove(provider, self->devices[i]);
            gst_object_unref(self->devices[i]);
            self->devices[i] = NULL;
        }
    }
}

static gpointer watch_control(gpointer data) {
    FakeCameraProvider* self = data;
    while (g_atomic_int_get(&self->running)) {
        g_usleep(50000);
        follow_control(self);
    }
    return NULL;
}

static gboolean fake_camera_provider_start(GstDeviceProvider* provider) {
    FakeCameraProvider* self = (FakeCameraProvider*)provider;
    follow_control(self);
    g_atomic_int_set(&self->running, TRUE);
    self->watcher = g_thread_new("fakecamera", watch_control, self);
    return TRUE;
}

static void fake_camera_provider_stop(GstDeviceProvider* provider) {
    FakeCameraProvider* self = (FakeCameraProvider*)provider;
    g_atomic_int_set(&self->running, FALSE);
    if (self->watcher)
        g_thread_join(self->watcher);
    self->watcher = NULL;
    for (int i = 0; i < 2; ++i) {
        if (self->devices[i]) {
            gst_device_provider_device_remove(provider, self->devices[i]);
            gst_object_unref(self->devices[i]);
            self->devices[i] = NULL;
        }
    }
}

static void fake_camera_provider_class_init(FakeCameraProviderClass* klass) {
    GstDeviceProviderClass* dp = GST_DEVICE_PROVIDER_CLASS(klass);
    dp->probe = fake_camera_provider_probe;
    dp->start = fake_camera_provider_start;
    dp->stop = fake_camera_provider_stop;
    gst_device_provider_class_set_static_metadata(dp, "Velmora fake camera", "Video/Source",
                                                  "A webcam for tests", "Velmora");
}

static void fake_camera_provider_init(FakeCameraProvider* self) {
    self->watcher = NULL;
    self->running = FALSE;
    self->devices[0] = self->devices[1] = NULL;
}

static gboolean plugin_init(GstPlugin* plugin) {
    return gst_device_provider_register(plugin, "velmorafakecamera", GST_RANK_PRIMARY + 10,
                                        fake_camera_provider_get_type());
}

#define PACKAGE "velmora"
GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, velmorafakecamera,
                  "A fake webcam for Velmora's tests", plugin_init, "1.0", "LGPL", "velmora",
                  "https://velmora.invalid")
