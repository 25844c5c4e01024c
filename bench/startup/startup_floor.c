/* The floor for the start-up benchmark: the least a GTK 3 program does to show a window of
 * Vellumark's size and place, filled with its view colour. */
#include <gtk/gtk.h>

static gboolean draw(GtkWidget* widget, cairo_t* cr, gpointer data)
{
	(void)widget;
	(void)data;
	cairo_set_source_rgb(cr, 216 / 255.0, 216 / 255.0, 216 / 255.0);
	cairo_paint(cr);
	return TRUE;
}

int main(int argc, char** argv)
{
	gtk_init(&argc, &argv);
	GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
	GtkWidget* area = gtk_drawing_area_new();
	gtk_window_set_title(GTK_WINDOW(window), "Vellumark");
	gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
	gtk_window_set_gravity(GTK_WINDOW(window), GDK_GRAVITY_STATIC);
	gtk_window_move(GTK_WINDOW(window), 100, 100);
	gtk_widget_set_size_request(area, 281, 71);
	gtk_container_add(GTK_CONTAINER(window), area);
	g_signal_connect(area, "draw", G_CALLBACK(draw), NULL);
	g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), NULL);
	gtk_widget_show_all(window);
	gtk_main();
	return 0;
}
